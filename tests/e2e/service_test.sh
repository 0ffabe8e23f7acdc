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

# What systemd would receive on its notification socket, with each
# sender's process id (the watchdog wants a ping every 0.5 s here).
python3 -c '
import socket, struct, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_PASSCRED, 1)
s.bind(sys.argv[1])
out = open(sys.argv[2], "a")
while True:
    data, anc, _, _ = s.recvmsg(4096, socket.CMSG_SPACE(12))
    pid = struct.unpack("iii", anc[0][2][:12])[0] if anc else 0
    out.write("%d %s\n" % (pid, data.decode().replace("\n", " "))); out.flush()
' "$WORK/notify.sock" "$WORK/notify.txt" &
NOTIFY_PID=$!
trap '[ -n "$OLD_PID" ] && kill "$OLD_PID" 2>/dev/null; kill "$NOTIFY_PID"; cleanup' EXIT
for _ in $(seq 1 50); do [ -S "$WORK/notify.sock" ] && break; sleep 0.1; done

LOGS=$ROOT/var/log/vant
# As systemd does, WATCHDOG_PID names the process started.
NOTIFY_SOCKET=$WORK/notify.sock WATCHDOG_USEC=1000000 sh -c 'export WATCHDOG_PID=$$; exec "$@"' sh \
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
old=$OLD_PID
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
notes=$(cat "$WORK/notify.txt")
expect_has "systemd hears the first process is ready" "$notes" "READY=1 STATUS=serving MAINPID=$old"
expect_has "systemd hears the new process is ready" "$notes" "$new READY=1 STATUS=serving MAINPID=$new"
expect_has "the new process keeps the watchdog fed" "$notes" "$new WATCHDOG=1"
expect_eq "the new process serves on alone" "$(curl -s "$BASE/hello.asp")" "object"
kill "$HOST_PID" 2>/dev/null
for _ in $(seq 1 100); do kill -0 "$HOST_PID" 2>/dev/null || break; sleep 0.1; done
HOST_PID=""

DPKG_ROOT=$ROOT sh "$WORK/control/prerm" remove
expect_lacks "removal leaves no registration" "$(cat "$REG")" "libvantupload"
DPKG_ROOT=$ROOT sh "$WORK/control/postrm" purge
expect_eq "purge removes the registry" "$([ -e "$REG" ] && echo left || echo gone)" "gone"
finish
