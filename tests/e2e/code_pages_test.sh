#!/usr/bin/env bash
# Pages and includes kept in their site's code page: literal text, string
# literals, a query string, a form post and an upload, each answer compared
# byte for byte with the text encoded in that code page.
. "$(dirname "$0")/lib.sh"

# folder | CODEPAGE | Python codec | text | a word for field and file names.
# The Shift_JIS and Big5 texts hold characters whose second byte is a
# backslash (表, ソ, 許, 功), which a byte-wise reader takes for an escape.
ROWS=(
  "sjis|932|cp932|日本語の表示、ソフト|写真表"
  "euckr|949|cp949|한국어 표시입니다|사진"
  "big5|950|cp950|中文顯示，許功蓋|照片"
  "gbk|936|gbk|中文显示，简体字|照片"
  "latin|1252|cp1252|Café déjà vu, 5 €|Été"
)
BOUNDARY=vantcodepageboundary

# make_row FOLDER CP CODEC TEXT WORD: writes the row's pages in its code
# page, and beside the site the bodies to send and the answers expected.
make_row() {
  python3 - "$SITE" "$WORK" "$@" <<'PY'
import os, sys, urllib.parse
site, work, folder, cp, codec, text, word = sys.argv[1:]
enc = lambda s: s.encode(codec)
def put(path, data):
    with open(path, "wb") as f:
        f.write(data)
os.makedirs(f"{site}/{folder}", exist_ok=True)
os.makedirs(f"{site}/up", exist_ok=True)
put(f"{site}/{folder}/inc.inc",
    enc(f'<i>{text}</i><% function IncText() {{ return "{text}!"; }} %>'))
put(f"{site}/{folder}/page.asp", enc(
    f'<%@ LANGUAGE=JScript CODEPAGE={cp} %><!-- #include file="inc.inc" -->\n'
    f'<p>{text}</p>\n'
    f'<% var s = "{text}"; %>len=<%= s.length %>|q=<%= Request.QueryString("q") %>'
    f'|f=<%= Request.Form("f") %>|inc=<%= IncText() %>|same=<%= Request.Form("f") == s %>\n'))
put(f"{work}/{folder}.want", enc(
    f'<i>{text}</i>\n<p>{text}</p>\nlen={len(text)}|q={text}|f={text}|inc={text}!|same=True\n'))
put(f"{work}/{folder}.query", b"q=" + urllib.parse.quote_from_bytes(enc(text)).encode())
put(f"{work}/{folder}.form", b"f=" + urllib.parse.quote_from_bytes(enc(text)).encode())
put(f"{site}/{folder}/upload.asp", enc(
    f'<%@ CODEPAGE={cp} %><% var up = Server.CreateObject("VANT.FileUpload");\n'
    f'up.DefaultPath = Server.MapPath("/up");\n'
    f'var file = up.Form("{word}"); %>name=<%= file.FileName %>|len=<%= file.FileLen %>'
    f'|note=<%= up.Form("{word}2") %>'))
b = os.environ["BOUNDARY"]
put(f"{work}/{folder}.upload", enc(
    f'--{b}\r\nContent-Disposition: form-data; name="{word}"; '
    f'filename="C:\\{word}\\{word}.txt"\r\nContent-Type: text/plain\r\n\r\n12345\r\n'
    f'--{b}\r\nContent-Disposition: form-data; name="{word}2"\r\n\r\n{text}\r\n'
    f'--{b}--\r\n'))
put(f"{work}/{folder}.upload.want", enc(f"name={word}.txt|len=5|note={text}"))
PY
}

for row in "${ROWS[@]}"; do
  IFS='|' read -r -a fields <<<"$row"
  BOUNDARY=$BOUNDARY make_row "${fields[@]}"
done

# A UTF-8 page that declares another code page is read as UTF-8 and answers
# in the code page it declares.
page utf8_declares_932.asp <<'P'
<%@ CODEPAGE=932 %>日本語<%= "表".length %>
P
printf '日本語1\n' | iconv -f UTF-8 -t CP932 >"$WORK/utf8_declares_932.want"
# Without CODEPAGE the page is read in the host's ANSI code page (932 here).
printf '<%% var s = "表示"; %%>表示<%%= s.length %%>\n' | iconv -f UTF-8 -t CP932 >"$SITE/ansi.asp"
printf '表示2\n' | iconv -f UTF-8 -t CP932 >"$WORK/ansi.want"
# Bytes that are not text in the page's code page, in an include's line 2.
printf '<%%@ CODEPAGE=932 %%><!-- #include file="bad.inc" -->\n' >"$SITE/badpage.asp"
printf 'fine\n\x81\x20broken\n' >"$SITE/bad.inc"

start_host --ansi-codepage 932

# same NAME GOT_FILE WANT_FILE: byte-for-byte comparison, shown in hex.
same() {
  if cmp -s "$2" "$3"; then pass "$1"; else fail "$1" "$(xxd -p "$2" | head -c 600) (wanted $(xxd -p "$3" | head -c 600))"; fi
}

for row in "${ROWS[@]}"; do
  IFS='|' read -r folder cp codec text word <<<"$row"
  curl -s -o "$WORK/$folder.got" --data-binary "@$WORK/$folder.form" \
    -H "Content-Type: application/x-www-form-urlencoded" \
    "$BASE/$folder/page.asp?$(cat "$WORK/$folder.query")"
  same "$folder ($cp): page, include, literal, query and form echoed" "$WORK/$folder.got" "$WORK/$folder.want"
  curl -s -o "$WORK/$folder.upload.got" --data-binary "@$WORK/$folder.upload" \
    -H "Content-Type: multipart/form-data; boundary=$BOUNDARY" "$BASE/$folder/upload.asp"
  same "$folder ($cp): upload field and file names" "$WORK/$folder.upload.got" "$WORK/$folder.upload.want"
done

curl -s -o "$WORK/utf8.got" "$BASE/utf8_declares_932.asp"
same "UTF-8 page declaring 932 answers in 932" "$WORK/utf8.got" "$WORK/utf8_declares_932.want"
curl -s -o "$WORK/ansi.got" "$BASE/ansi.asp"
same "page without CODEPAGE read in --ansi-codepage" "$WORK/ansi.got" "$WORK/ansi.want"

expect_eq "invalid bytes: a compilation error" "$(curl -s -o "$WORK/bad.got" -w '%{http_code}' "$BASE/badpage.asp")" 500
expect_has "invalid bytes: file, line and code page named" "$(cat "$WORK/bad.got")" \
  "The file /bad.inc holds bytes that are not valid text in code page 932 (line 2)."

finish
