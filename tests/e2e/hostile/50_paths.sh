# shellcheck shell=bash
# Hostile Server.MapPath arguments and include paths. MapPath never leaves
# the site root: it maps inside it or raises an error; includes that leave
# the site or loop give an error page.
ROOT_WIN=$(curl -s "$BASE/mappath.asp?p=/" | sed -n 's/^MAP|//p')
expect_like "MapPath: the root maps to a Windows path" "$ROOT_WIN" "[A-Z]:\\\\*"
mkdir -p "$SITE/sub/deep"
cp "$SITE/mappath.asp" "$SITE/sub/deep/mappath.asp"
# Each row: label | page (/mappath.asp or /sub/deep/mappath.asp) | argument
# (URL-encoded) | wanted (MAP|<root>... or ERR|*); @ROOT@ stands for the root.
while IFS='|' read -r label at arg want; do
  want=${want//@ROOT@/$ROOT_WIN}
  want=${want//\\/\\\\}
  got=$(curl -s --max-time 10 "$BASE$at?p=$arg")
  expect_like "MapPath: $label" "$got" "$want"
done <<'ROWS'
root folder|/mappath.asp|/|MAP|@ROOT@
file in the root|/mappath.asp|/a.txt|MAP|@ROOT@\a.txt
relative to the page folder|/sub/deep/mappath.asp|x.txt|MAP|@ROOT@\sub\deep\x.txt
climb inside the site|/sub/deep/mappath.asp|../../x.txt|MAP|@ROOT@\x.txt
climb above the root|/mappath.asp|../x|ERR|*
climb above the root from a folder|/sub/deep/mappath.asp|../../../x|ERR|*
virtual climb above the root|/mappath.asp|/../x|ERR|*
climb down and far up|/mappath.asp|/sub/../../../../etc/passwd|ERR|*
backslash climb|/mappath.asp|%5c..%5c..%5cetc|ERR|*
doubled backslash|/mappath.asp|%5c%5cserver%5cshare|ERR|*
doubled slash|/mappath.asp|//etc/passwd|ERR|*
drive letter|/mappath.asp|C:%5c|ERR|*
drive letter and path|/mappath.asp|C:%5cetc%5cpasswd|ERR|*
NUL|/mappath.asp|/a%00.txt|ERR|*
control character|/mappath.asp|/a%01|ERR|*
wildcard|/mappath.asp|/*|ERR|*
device path|/mappath.asp|%5c%5c%3f%5cC:%5cx|ERR|*
encoded dots stay text|/mappath.asp|%252e%252e/x|MAP|@ROOT@\%2e%2e\x
three dots are a name|/mappath.asp|/.../x|MAP|@ROOT@\...\x
empty argument|/sub/deep/mappath.asp||MAP|@ROOT@\sub\deep*
ROWS

# Includes: leaving the site, loops, virtual above the root, missing files.
mkdir -p "$SITE/inc"
printf '%s' '<% Response.Write("inner"); %>' >"$SITE/inc/ok.inc"
echo '<!-- #include file="loop_b.inc" -->' >"$SITE/inc/loop_a.inc"
echo '<!-- #include file="loop_a.inc" -->' >"$SITE/inc/loop_b.inc"
echo '<!-- #include file="self.inc" -->' >"$SITE/inc/self.inc"
printf 'root:x:0:0:hz-outside\n' >"$WORK/outside.inc"
for row in \
  'file above the site|<!-- #include file="../../etc/passwd" -->' \
  'file above the site by many steps|<!-- #include file="../../../../../../../../etc/passwd" -->' \
  'file next to the site|<!-- #include file="../outside.inc" -->' \
  'virtual above the root|<!-- #include virtual="/../outside.inc" -->' \
  'virtual with backslashes|<!-- #include virtual="\..\outside.inc" -->' \
  'absolute host path|<!-- #include file="/etc/passwd" -->' \
  'drive path|<!-- #include file="C:\etc\passwd" -->' \
  'include loop|<!-- #include file="inc/loop_a.inc" -->' \
  'include of itself|<!-- #include file="inc/self.inc" -->' \
  'missing file|<!-- #include file="inc/none.inc" -->' \
  'empty name|<!-- #include file="" -->' \
  'NUL in the name|<!-- #include file="inc/ok.inc%00.txt" -->' \
  'unterminated directive|<!-- #include file="inc/ok.inc"'; do
  IFS='|' read -r label directive <<<"$row"
  printf '%s\nafter' "$directive" >"$SITE/incl.asp"
  code=$(curl -s -o "$WORK/cases/incl.out" -w '%{http_code}' --max-time 10 "$BASE/incl.asp")
  got=$(tr -d '\0' <"$WORK/cases/incl.out")
  expect_lacks "include: $label shows nothing from outside" "$got" "root:"
  expect_eq "include: $label gives the error page" "$code" "500"
done
printf '<!-- #include file="inc/ok.inc" -->|<!-- #include virtual="/inc/ok.inc" -->' >"$SITE/incl.asp"
expect_eq "include: file and virtual inside the site work" "$(curl -s "$BASE/incl.asp")" "inner|inner"
