# shellcheck shell=bash
# Uploads into a folder the host serves: the sample site's upload page
# (site/upload/save.asp) saves into /uploads, which the host serves. A file
# sent as a server page must never be saved under a name the host runs.
start_sample_host
mkdir -p "$WORK/cases"
# The page takes uploads only from its own form: a session and its token.
sample_session "served uploads: the form carries a token" "$WORK/sample.jar" upload/default.asp

# A page that, if it ever ran, would print RAN-CODE.
printf '<%%@ LANGUAGE=JScript %%><%% Response.Write("RAN" + "-CODE"); %%>' >"$WORK/cases/x.asp"
for name in x.asp X.ASP x.aSp x.asa x.inc x.cer 'x.asp.' 'x.asp ' 'x.asp;.txt' 'x.asp::$DATA' \
  'dir/x.asp' '..\x.asp' 'x.txt\x.asp'; do
  {
    printf -- '--hzS\r\nContent-Disposition: form-data; name="keep"\r\n\r\n1\r\n'
    printf -- '--hzS\r\nContent-Disposition: form-data; name="file1"; filename="%s"\r\n\r\n' "$name"
    cat "$WORK/cases/x.asp"
    printf -- '\r\n--hzS--\r\n'
  } >"$WORK/cases/sample.body"
  got=$(curl -s --max-time 10 -b "$JAR" --data-binary @"$WORK/cases/sample.body" \
    -H "Content-Type: multipart/form-data; boundary=hzS" "$SAMPLE_BASE/upload/save.asp?fragment=1&token=$TOKEN")
  saved=$(sed -n 's/.*saved as <b>\([^<]*\)<\/b>.*/\1/p' <<<"$got")
  if [ -z "$saved" ]; then
    expect_has "served uploads: $name refused by the sample page" "$got" "refused"
    continue
  fi
  enc=$(printf '%s' "$saved" | od -An -tx1 | tr -d ' \n' | sed 's/../%&/g')
  ran=$(curl -s --max-time 10 --path-as-is "$SAMPLE_BASE/uploads/$enc")
  expect_lacks "served uploads: $name saved as '$saved' does not run" "$ran" "RAN-CODE"
done
expect_eq "served uploads: no saved file ends in .asp" "$(ls -A "$SAMPLE/uploads" | grep -ci '\.asp$')" "0"

# In the upload folder no page runs, and markup is never shown inline: each
# row is a file put there | the disposition wanted ("" for inline).
cp "$WORK/cases/x.asp" "$SAMPLE/uploads/direct.asp"
printf '<script>alert(1)</script>' >"$SAMPLE/uploads/hz.html"
printf '<svg xmlns="http://www.w3.org/2000/svg"><script>alert(1)</script></svg>' >"$SAMPLE/uploads/hz.svg"
cp "$SOURCE/site/gallery/mark.png" "$SAMPLE/uploads/hz.png"
while IFS='|' read -r name disposition; do
  head=$(curl -s -D - -o "$WORK/cases/served.out" "$SAMPLE_BASE/uploads/$name" | tr -d '\r')
  expect_lacks "upload folder: $name does not run" "$(cat "$WORK/cases/served.out")" "RAN-CODE"
  expect_has "upload folder: $name is not sniffed" "$head" "X-Content-Type-Options: nosniff"
  expect_has "upload folder: $name is sandboxed" "$head" "Content-Security-Policy: sandbox"
  expect_eq "upload folder: $name disposition" "$(sed -n 's/^Content-Disposition: //p' <<<"$head")" "$disposition"
done <<'ROWS'
direct.asp|attachment
hz.html|attachment
hz.svg|attachment
hz.png|
ROWS
# The upload pages list the folder; a name holding markup is shown as text.
printf x >"$SAMPLE/uploads/<i>hz.txt"
listing=$(curl -s -b "$JAR" "$SAMPLE_BASE/upload/default.asp")
expect_has "upload folder: the upload page lists its files" "$listing" ">hz.png</a></td><td>"
expect_has "upload folder: a listed name is encoded" "$listing" "&lt;i&gt;hz.txt"
expect_lacks "upload folder: no listed name is markup" "$listing" "<i>hz.txt"
printf '%s' '<% try { Server.Execute("/uploads/direct.asp"); } catch (e) { Response.Write("ERR"); } %>' >"$SAMPLE/exec.asp"
expect_like "upload folder: Server.Execute runs no page there" "$(curl -s "$SAMPLE_BASE/exec.asp")" "*ERR"
stop_sample_host
