#!/usr/bin/env bash
# Instructions per request of vant-host, in the steady state, under callgrind:
#   hello    the minimal page (hello.asp)
#   download a 100 KB file sent by a FileDownload page (dl.asp)
#   session  a page that reads and writes Session (session.asp)
# One host (one worker) serves WARM requests of a page on one kept-alive
# connection, the counters are zeroed, N more are served and dumped; the
# figure is the dump's instructions over N (every thread counted: the I/O
# threads and the worker). Instruction counts do not move with other load on
# the machine, so this compares two builds where a timing would not.
# Usage: bench/host/callgrind.sh   (BUILD= the binaries folder, default build;
#                                    N=200 WARM=50; PAGES="hello download session")
set -euo pipefail

. "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../lib.sh"
N=${N:-200}
WARM=${WARM:-50}
PAGES=${PAGES:-hello download session}
for tool in valgrind callgrind_control curl; do
  command -v "$tool" >/dev/null || install_missing valgrind curl
done
[ -x "$build/vant-host" ] || die "no vant-host at $build (set BUILD=...)"

make_workdir callgrind
S=$work/site
mkdir -p "$S/files" "$work/data" "$work/out"
printf '%s' '<%@ ENABLESESSIONSTATE=False %>Hello <%= 1+1 %>' >"$S/hello.asp"
printf '%s' '<% var n = (Session("n") || 0) + 1; Session("n") = n; Response.Write("n=" + n); %>' \
  >"$S/session.asp"
printf '%s' '<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
var dl = Server.CreateObject("VANT.FileDownload");
dl.Download(Server.MapPath("/" + Request.QueryString("d") + "/" + Request.QueryString("f")),
            String(Request.QueryString("f")), true, true);
%>' >"$S/dl.asp"
head -c 100000 /dev/urandom >"$S/files/small.bin"
registry=$work/registry.reg
"$build/vant-regsvr" --registry "$registry" "$build/libvantupload.so" >/dev/null
# Dated back: a registry file changed in the last seconds is read again on
# every activation (it may still be being written), which would count a
# parse per request for as long as the file looks fresh.
touch -d '-1 minute' "$registry"

valgrind --tool=callgrind --callgrind-out-file="$work/out/cg.%p" --dump-instr=no \
  "$build/vant-host" --site "$S" --listen 127.0.0.1:0 --registry "$registry" \
  --data "$work/data" --threads 1 --log /dev/null >"$work/stdout" 2>"$work/stderr" &
pid=$!
pids+=("$pid")
url=
for _ in $(seq 300); do
  url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$work/stdout" 2>/dev/null | head -1 || true)
  [ -n "$url" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/stderr" >&2; die "vant-host exited"; }
  sleep 0.2
done
[ -n "$url" ] || die "vant-host printed no URL"

# A curl config naming the URL COUNT times: one process, one connection.
requests() {
  local i
  for ((i = 0; i < $2; i++)); do printf 'url = "%s"\noutput = /dev/null\n' "$1"; done
}

measure() {  # NAME PATH
  local cookies=() dump ir
  [ "$1" = session ] && cookies=(-b "$work/cookies" -c "$work/cookies")
  curl -sS "${cookies[@]}" -K <(requests "$url$2" "$WARM")
  callgrind_control -z "$pid" >/dev/null 2>&1
  curl -sS "${cookies[@]}" -K <(requests "$url$2" "$N")
  callgrind_control -d "$1" "$pid" >/dev/null 2>&1
  dump=$(grep -l "^desc: Trigger: .* $1\$" "$work"/out/cg.* | head -1)
  ir=$(awk '/^(summary|totals):/ {print $2; exit}' "$dump")
  printf '%-9s %8d instructions per request\n' "$1" $((ir / N))
}

for page in $PAGES; do
  case $page in
    hello) measure hello hello.asp ;;
    download) measure download "dl.asp?d=files&f=small.bin" ;;
    session) measure session session.asp ;;
    *) die "unknown page $page" ;;
  esac
done
