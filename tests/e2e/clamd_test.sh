#!/usr/bin/env bash
# Uploads scanned by a clamd of the test's own, with a signature database the
# test writes: verdicts per element in one form, a signature across a body
# chunk edge, clamd stopped mid-upload (the on-error rule, the upload still
# succeeds), and --refuse-infected (nothing saved, no temporary file left).
. "$(dirname "$0")/lib.sh"

CLAMD=$(command -v clamd || echo /usr/sbin/clamd)
if [ ! -x "$CLAMD" ]; then echo "skipped: clamd is not installed (make deps)"; exit 0; fi

C=$WORK/clamd F=$WORK/files
mkdir -p "$C/db" "$C/tmp" "$F" "$SITE/uploads"
CLAMD_PID=""
stop_clamd() { [ -n "$CLAMD_PID" ] && kill "$CLAMD_PID" 2>/dev/null && wait "$CLAMD_PID" 2>/dev/null; CLAMD_PID=""; }
trap 'stop_clamd; cleanup' EXIT

# The files: a clean one, one known by its MD5, and 200 KB whose 1 KB
# signature straddles body offset 48 K (the part headers before it are
# shorter than 600 bytes).
printf 'nothing to see here\n' >"$F/clean.txt"
printf 'vant e2e sample, flagged by its digest %s\n' "$RANDOM" >"$F/bad.bin"
head -c 1024 /dev/urandom >"$F/sig"
{ head -c $((49152 - 600)) /dev/zero; cat "$F/sig"; head -c 150000 /dev/zero; } >"$F/edge.bin"
head -c 3000000 /dev/urandom >"$F/big.bin"
echo "$(md5sum <"$F/bad.bin" | cut -d' ' -f1):$(stat -c %s "$F/bad.bin"):Vant.Test.Digest" >"$C/db/test.hdb"
echo "Vant.Test.Edge:0:*:$(od -An -v -tx1 "$F/sig" | tr -d ' \n')" >"$C/db/test.ndb"
cat >"$C/clamd.conf" <<CONF
Foreground yes
LocalSocket $C/clamd.sock
DatabaseDirectory $C/db
TemporaryDirectory $C/tmp
LogFile $C/clamd.log
StreamMaxLength 300M
CONF

start_clamd() {
  "$CLAMD" -c "$C/clamd.conf" >/dev/null 2>&1 &
  CLAMD_PID=$!
  for _ in $(seq 1 600); do [ -S "$C/clamd.sock" ] && return 0; sleep 0.1; done
  echo "clamd did not start:"; cat "$C/clamd.log"; exit 1
}

# Lists every file element as name|IsInfected|VirusName|save outcome, then
# what FileUpload answers for its first file.
page scan.asp <<'P'
<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
for (var n = new Enumerator(up.Form); !n.atEnd(); n.moveNext()) {
  for (var i = new Enumerator(n.item()); !i.atEnd(); i.moveNext()) {
    var el = i.item();
    if (!el.IsFileItem()) continue;
    var line = el.Name + "|" + el.IsInfected + "|" + el.VirusName;
    try { el.Save("", true); line += "|saved"; } catch (e) { line += "|ERR " + e.source; }
    Response.Write(line + "\n");
  }
}
try { Response.Write("first|" + up.IsInfected + "|" + up.VirusName + "\n"); } catch (e) {}
%>
P
post() { curl -s "$@" "$BASE/scan.asp"; }
temp_files() { find "$SITE/uploads" -name 'KWZ$*' | wc -l; }

start_clamd
start_host --clamd "unix:$C/clamd.sock"
out=$(post -F "a=@$F/clean.txt" -F "note=hi" -F "b=@$F/bad.bin")
expect_has "clean element is clean" "$out" "a|false||saved"
expect_has "infected element named by its signature" "$out" "b|true|Vant.Test.Digest"
expect_has "FileUpload answers for its first file" "$out" "first|false|"
out=$(post -F "e=@$F/edge.bin")
expect_has "signature across a chunk edge is found" "$out" "e|true|Vant.Test.Edge"
cmp -s "$F/edge.bin" "$SITE/uploads/edge.bin"; expect_eq "scanned file saved intact" "$?" "0"

# clamd goes away while a slow upload streams to it: the upload completes,
# the file counts as infected under the default rule, the log says why.
rm -f "$SITE/uploads/big.bin"
post --limit-rate 500k -F "g=@$F/big.bin" >"$WORK/slow.out" &
slow=$!
sleep 2
stop_clamd
wait "$slow"
expect_has "scan failure marks the file infected" "$(cat "$WORK/slow.out")" "g|true|ScanFailed."
cmp -s "$F/big.bin" "$SITE/uploads/big.bin"; expect_eq "upload survives the scanner's loss" "$?" "0"
expect_has "host log says why" "$(cat "$WORK/host.err")" "virus scan: \"big.bin\" counted as infected"
out=$(post -F "a=@$F/clean.txt")
expect_has "unreachable clamd: named failure" "$out" "a|true|ScanFailed.Unreachable"
stop_host
start_host --clamd "unix:$C/clamd.sock" --clamd-on-error=clean
out=$(post -F "a=@$F/clean.txt")
expect_has "on-error clean: not infected" "$out" "a|false||saved"
stop_host

# --refuse-infected: the infected file is neither saved nor left behind; a
# file past the stream limit is a failed scan, refused as well.
start_clamd
rm -rf "$SITE/uploads"; mkdir -p "$SITE/uploads"
start_host --clamd "unix:$C/clamd.sock" --refuse-infected --clamd-max-stream 100K
out=$(post -F "e=@$F/edge.bin")
expect_has "file past the stream limit refused" "$out" "e|true|ScanFailed.TooLarge|ERR The file edge.bin"
out=$(post -F "a=@$F/clean.txt" -F "b=@$F/bad.bin")
expect_has "refused with its message" "$out" "b|true|Vant.Test.Digest.UNOFFICIAL|ERR The file bad.bin was not saved"
expect_has "clean file still saved" "$out" "a|false||saved"
# (The failed save then rolls back the form's other saves, as every error does.)
expect_eq "infected files not saved" "$(ls "$SITE/uploads" | grep -c 'bad\|edge')" "0"
expect_eq "no temporary file left" "$(temp_files)" "0"

finish
