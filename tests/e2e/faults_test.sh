#!/usr/bin/env bash
# Faults injected into a real vant-host through VANT_FAULTS: a full disk and
# an I/O error while an upload is written, a failed move in Save (and a
# failed copy after a cross-volume rename), a client reset mid-body, a
# failed write in SaveBlobAsFile, a failed socket write in a download, and
# failed accepts, header reads and file sends on the connection layer.
# Each case checks the message the page got, that nothing partial is left
# in the folder written to, and that the host goes on serving.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/fault_site.sh"

# Registers the module once; run_host then starts the host alone, so the
# fault plan never reaches vant-regsvr.
start_host
stop_host() {
  [ -n "$HOST_PID" ] && kill "$HOST_PID" 2>/dev/null && wait "$HOST_PID" 2>/dev/null
  HOST_PID=""
}
# run_host PLAN: restarts vant-host on the same site with VANT_FAULTS=PLAN.
run_host() {
  stop_host
  : >"$WORK/host.out"
  VANT_FAULTS="$1" "$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 \
    --registry "$VANT_REGISTRY" --data "$WORK/data" >"$WORK/host.out" 2>"$WORK/host.err" &
  HOST_PID=$!
  BASE=$(host_address "$WORK/host.out")
  [ -n "$BASE" ] && return 0
  echo "vant-host did not start:"; cat "$WORK/host.err"; exit 1
}
# The files left in /uploads (the upload's objects are released just after
# the response, so give them a moment).
leftovers() {
  local left
  for _ in $(seq 1 20); do
    left=$(ls -A "$SITE/uploads" | tr '\n' ' ')
    [ "$left" == "$1" ] && break
    sleep 0.1
  done
  echo "$left"
}
still_serving() {
  expect_eq "$1: host still serves pages" "$(curl -s "$BASE/hello.asp")" "alive 2"
  expect_has "$1: a clean upload works afterwards" \
    "$(curl -s -F "f=@$F/small.bin" "$BASE/up.asp")" "SAVED small.bin 5000"
  rm -f "$SITE/uploads/"*
}

# A malformed plan or an unknown kind stops the host before it serves.
for plan in "write:x:ENOSPC" "write:1:ENOPE" "disk:1:EIO"; do
  VANT_FAULTS="$plan" "$BUILD/vant-host" --site "$SITE" --listen 127.0.0.1:0 \
    --registry "$VANT_REGISTRY" >/dev/null 2>"$WORK/bad.err"
  expect_eq "plan '$plan' refused" "$?" "1"
  expect_has "plan '$plan' named in the error" "$(cat "$WORK/bad.err")" "VANT_FAULTS"
done

# Upload writes: the Nth write of the temporary file fails.
while IFS='|' read -r name plan text; do
  run_host "$plan"
  body=$(curl -s -F "f=@$F/big.bin" "$BASE/up.asp")
  expect_has "$name: page gets the system's text" "$body" "$text"
  expect_has "$name: page names the failed call" "$body" "CFileUpload::_GetFileContents"
  expect_eq "$name: no temporary or partial file" "$(leftovers "")" ""
  still_serving "$name"
done <<'CASES'
disk full on the 4th write|write:3:ENOSPC|No space left on device
I/O error on the 1st write|write:0:EIO|Input/output error
disk full late in the file|write:8:ENOSPC|No space left on device
CASES

# Save's move fails: the message names both paths, the temporary file goes.
run_host "rename:0:EACCES"
body=$(curl -s -F "f=@$F/big.bin" "$BASE/up.asp")
expect_has "failed move: page gets the move message" "$body" "could not be moved to"
expect_has "failed move: names the target" "$body" "big.bin"
expect_eq "failed move: no temporary or partial file" "$(leftovers "")" ""
still_serving "failed move"

# A cross-volume rename falls back to a copy: it succeeds...
run_host "rename:0:EXDEV"
body=$(curl -s -F "f=@$F/small.bin" "$BASE/up.asp")
expect_has "cross-volume save succeeds by copying" "$body" "SAVED small.bin 5000"
expect_eq "cross-volume save leaves only the target" "$(leftovers "small.bin ")" "small.bin "
cmp -s "$F/small.bin" "$SITE/uploads/small.bin"
expect_eq "cross-volume save copies every byte" "$?" "0"
rm -f "$SITE/uploads/"*
# ...and a copy whose Nth write fails (N = 0, 1, ... until the save goes
# through; the first writes are the upload's own) never leaves a partial
# file, and at least one N fails inside the copy with the move message.
copy_failed=no
for n in 0 1 2 3 4 5; do
  run_host "rename:0:EXDEV,write:$n:ENOSPC"
  body=$(curl -s -F "f=@$F/small.bin" "$BASE/up.asp")
  [[ "$body" == *"could not be moved to"* ]] && copy_failed=yes
  if [[ "$body" == "SAVED "* ]]; then
    expect_eq "cross-volume copy, write $n: only the target" "$(leftovers "small.bin ")" "small.bin "
    break
  fi
  expect_has "cross-volume copy, write $n: disk-full or move message" "$body" "ERR "
  expect_eq "cross-volume copy, write $n: no temporary or partial file" "$(leftovers "")" ""
done
expect_eq "a failed cross-volume copy reports the move" "$copy_failed" "yes"
rm -f "$SITE/uploads/"*
run_host ""  # the last plan's write fault may still be armed
still_serving "failed cross-volume copy"

# The client resets the connection mid-body.
run_host "body-read:5:ECONNRESET"
body=$(curl -s -F "f=@$F/big.bin" "$BASE/up.asp")
expect_has "reset mid-body: page gets the read message" "$(curl -s "$BASE/last.asp")" \
  "The request body could not be read from the web server"
expect_eq "reset mid-body: no temporary or partial file" "$(leftovers "")" ""
still_serving "reset mid-body"

# SaveBlobAsFile: the write of its temporary file fails.
run_host ""
expect_eq "BLOB stored" "$(curl -s "$BASE/blobput.asp")" "ID 1"
run_host "write:2:EIO"
body=$(curl -s "$BASE/blobout.asp")
expect_has "failed BLOB write: page gets the system's text" "$body" "Input/output error"
expect_eq "failed BLOB write: no temporary or partial file" "$(leftovers "")" ""
expect_has "BLOB written once the fault is spent" "$(curl -s "$BASE/blobout.asp")" "WROTE"
cmp -s "$SITE/files/blob.bin" "$SITE/uploads/out.bin"
expect_eq "BLOB file whole" "$?" "0"
rm -f "$SITE/uploads/"*
still_serving "failed BLOB write"

# A socket write of a download fails: the client gets a cut body, and the
# download ends the response (and with it the page) as for a vanished client.
run_host "socket-write:3:EPIPE"
curl -s -o "$WORK/dl.out" "$BASE/dl.asp?f=dl.bin"
size=$(stat -c %s "$WORK/dl.out" 2>/dev/null || echo 0)
[ "$size" -lt 2000000 ] && pass "failed socket write: body cut short" ||
  fail "failed socket write: body cut short" "$size bytes"
expect_eq "failed socket write: page ended at the download" "$(curl -s "$BASE/last.asp")" "STARTED"
curl -s -o "$WORK/dl.out" "$BASE/dl.asp?f=dl.bin"
cmp -s "$WORK/dl.out" "$SITE/files/dl.bin"
expect_eq "next download whole" "$?" "0"
still_serving "failed socket write"

# Faults on the connection layer's own paths: the first accepted connection
# (EMFILE also pauses accepting), the first request header, and a file's
# header block and sendfile piece sent by the I/O threads. Each fails its
# one request (nothing, or a cut body, arrives), the host serves on, and its
# descriptors and the upload folder are as they were.
printf 'alive 2' >"$WORK/hello.whole"
printf 'SAVED big.bin 3000000' >"$WORK/upload.whole"
while IFS='|' read -r name plan target arrives; do
  run_host "$plan"
  fds=$(fd_count)
  case $target in
    hello) curl -s --max-time 10 -o "$WORK/got" "$BASE/hello.asp"; whole=$WORK/hello.whole ;;
    upload) curl -s --max-time 10 -o "$WORK/got" -F "f=@$F/big.bin" "$BASE/up.asp"
      whole=$WORK/upload.whole ;;
    file) curl -s --max-time 10 -o "$WORK/got" "$BASE/files/dl.bin"; whole=$SITE/files/dl.bin ;;
  esac
  touch "$WORK/got"
  if [ "$arrives" == nothing ]; then
    expect_eq "$name: nothing arrives" "$(stat -c %s "$WORK/got")" 0
  else
    cmp -s "$WORK/got" "$whole"
    expect_eq "$name: answer cut short" "$?" 1
  fi
  rm -f "$WORK/got"
  expect_eq "$name: no temporary file" "$(leftovers "")" ""
  still_serving "$name"
  expect_eq "$name: descriptors as before" "$(fds_back "$fds")" "$fds"
done <<'CASES'
accept aborted|accept:0:ECONNABORTED|hello|nothing
accept out of descriptors|accept:0:EMFILE|hello|nothing
reset while the header arrives|header-read:0:ECONNRESET|upload|nothing
failed file header write|socket-write:0:EPIPE|file|nothing
failed sendfile piece|socket-write:3:EPIPE|file|cut
CASES

stop_host
finish
