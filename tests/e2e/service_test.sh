#!/usr/bin/env bash
# The deployment of docs/deploy.md: build the Debian package, unpack it into
# a fresh root, run its maintainer scripts there (DPKG_ROOT), start the host
# with the unit's command line and the shipped config file, rotate the logs
# with SIGHUP, restart gracefully during an upload, and remove the package.
# Nothing outside the temporary root is touched.
. "$(dirname "$0")/lib.sh"
ROOT=$WORK/root
OLD_PID=""
trap '[ -n "$OLD_PID" ] && kill "$OLD_PID" 2>/dev/null; cleanup' EXIT

(cd "$BUILD" && cpack -G DEB -B "$WORK/pkg" >"$WORK/cpack.out" 2>&1) || {
  cat "$WORK/cpack.out"; exit 1; }
deb=$(ls "$WORK"/pkg/vantupload_*.deb)
dpkg-deb -x "$deb" "$ROOT" && dpkg-deb -e "$deb" "$WORK/control" || exit 1
REG=$ROOT/etc/vant/registry.reg

DPKG_ROOT=$ROOT sh "$WORK/control/postinst" configure
expect_has "install registers the installed module" "$(cat "$REG" 2>/dev/null)" \
  "$ROOT/usr/lib/vant/libvantupload.so"

# The shipped config file, its paths moved into the root; the unit's
# command line, with --listen added (the command line overrides the file).
conf=$WORK/site.conf
sed -e "s|/srv/vant|$SITE|; s|/var/lib/vant|$ROOT/var/lib/vant|; s|/var/log/vant|$ROOT/var/log/vant|" \
  -e "s|/etc/vant|$ROOT/etc/vant|; s|^# error-log|error-log|" "$ROOT/etc/vant/vant-host.conf" >"$conf"
exec_start=$(sed -n 's/^ExecStart=//p' "$ROOT/usr/lib/systemd/system/vant-host.service")
read -r -a command <<<"${exec_start//\/etc\/vant\/vant-host.conf/$conf}"
command[0]=$ROOT${command[0]}

mkdir -p "$SITE/uploads"
page hello.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><%= typeof Server.CreateObject("VANT.FileUpload") %>
P
page up.asp <<'P'
<%@ ENABLESESSIONSTATE=False %><%
var up = Server.CreateObject("VANT.FileUpload");
up.DefaultPath = Server.MapPath("/uploads");
var f = up.Form("file1");
f.SaveAsVirtual("/uploads/big.bin", true);
Response.Write("saved " + f.FileLen);
%>
P

LOGS=$ROOT/var/log/vant
"${command[@]}" --listen 127.0.0.1:0 >"$WORK/host.out" 2>>"$WORK/host.err" &
HOST_PID=$!
BASE=$(host_address "$WORK/host.out")
[ -n "$BASE" ] || { echo "installed vant-host did not start:"; cat "$WORK/host.err" "$LOGS/error.log"; exit 1; }
expect_eq "installed host runs a page with the installed module" "$(curl -s "$BASE/hello.asp")" "object"

# logrotate: move the files away, SIGHUP, and the next lines go to new files.
mv "$LOGS/access.log" "$LOGS/access.log.1"
mv "$LOGS/error.log" "$LOGS/error.log.1"
kill -HUP "$HOST_PID"
for _ in $(seq 1 50); do [ -s "$LOGS/error.log" ] && break; sleep 0.1; done
curl -s "$BASE/hello.asp?rotated" >/dev/null
expect_has "after SIGHUP the access log is a new file" "$(cat "$LOGS/access.log" 2>/dev/null)" "?rotated"
expect_lacks "the rotated access log gets no new line" "$(cat "$LOGS/access.log.1")" "?rotated"
expect_has "after SIGHUP the error log is a new file" "$(cat "$LOGS/error.log" 2>/dev/null)" "SIGHUP"
expect_eq "the host lives on after SIGHUP" "$(curl -s "$BASE/hello.asp")" "object"

# Graceful restart during a slow upload: the old process finishes it.
head -c 3000000 /dev/urandom >"$WORK/big.bin"
curl -s --limit-rate 300k -F "file1=@$WORK/big.bin" "$BASE/up.asp" >"$WORK/up.out" &
upload=$!
sleep 2
OLD_PID=$HOST_PID
kill -USR2 "$OLD_PID"
new=""
for _ in $(seq 1 300); do
  new=$(sed -n 's/.*graceful restart: process \([0-9]*\) serves now.*/\1/p' "$LOGS/error.log")
  [ -n "$new" ] && break
  sleep 0.1
done
[ -n "$new" ] && HOST_PID=$new
expect_eq "a new process takes over" "$([ -n "$new" ] && [ "$new" != "$OLD_PID" ] && echo yes)" "yes"
expect_eq "the new process answers while the old one finishes" "$(curl -s "$BASE/hello.asp")" "object"
expect_eq "the old process is still running the upload" "$(kill -0 "$OLD_PID" 2>/dev/null && echo yes)" "yes"
wait "$upload"
expect_eq "the upload completes" "$(cat "$WORK/up.out")" "saved 3000000"
expect_eq "the saved file is byte-exact" "$(cmp -s "$WORK/big.bin" "$SITE/uploads/big.bin" && echo same)" "same"
for _ in $(seq 1 100); do kill -0 "$OLD_PID" 2>/dev/null || break; sleep 0.1; done
expect_eq "the old process ends after its upload" "$(kill -0 "$OLD_PID" 2>/dev/null || echo gone)" "gone"
OLD_PID=""
expect_eq "the new process serves on alone" "$(curl -s "$BASE/hello.asp")" "object"
kill "$HOST_PID" 2>/dev/null
for _ in $(seq 1 100); do kill -0 "$HOST_PID" 2>/dev/null || break; sleep 0.1; done
HOST_PID=""

DPKG_ROOT=$ROOT sh "$WORK/control/prerm" remove
expect_lacks "removal leaves no registration" "$(cat "$REG")" "libvantupload"
DPKG_ROOT=$ROOT sh "$WORK/control/postrm" purge
expect_eq "purge removes the registry" "$([ -e "$REG" ] && echo left || echo gone)" "gone"
finish
