#!/usr/bin/env bash
# Image work over the host's lifetime: conversions to BMP keep working
# after ImageMagick's process-wide time limit (an inherited
# MAGICK_TIME_LIMIT, lowered to two seconds here) would have run out, and a
# fatal ImageMagick error (its time limit set by a policy file, which
# cannot be lifted) fails only the call that met it: the host lives, the
# call reports 0x40020037, and no temporary image file is left.
source "$(dirname "$0")/lib.sh"

SAMPLES="$SOURCE/../shared/testdata/images"
mkdir -p "$SITE/img"
cp "$SOURCE/site/gallery/mark.png" "$SITE/img/a.png"
cp "$SAMPLES/bmpsuite_pal8.bmp" "$SITE/img/b.bmp"
# convert.asp?src=NAME[&mark=NAME]: NAME converted to BMP (or marked with
# the mark); prints "written", "not read" or "failed: " and the error text.
page convert.asp <<'ASP'
<%@ LANGUAGE=JScript CODEPAGE=65001 %><%
var proc = Server.CreateObject("VANT.ImageProc");
try {
  if (!proc.SetSourceFile("/img/" + Request("src"))) {
    Response.Write("not read");
  } else if (String(Request("mark")) != "undefined") {
    proc.SaveAsWatermarkImage("/img/" + Request("mark"), "/img/out_mark.jpg");
    Response.Write("written");
  } else {
    proc.ConvertImageFormat("image/bmp", "/img/out_" + Request("src") + ".bmp");
    Response.Write("written");
  }
} catch (e) {
  Response.Write("failed: " + e.source);
}
%>
ASP

convert() { curl -s --max-time 20 "$BASE/convert.asp?$1"; }
alive() { kill -0 "$HOST_PID" 2>/dev/null && echo yes || echo no; }
temp_files() { find "$SITE/img" -name '*.vant-*' | wc -l; }

# 1. The inherited time limit no longer ends the process.
MAGICK_TIME_LIMIT=2 start_host
expect_eq "PNG to BMP" "$(convert src=a.png)" "written"
expect_eq "BMP to BMP" "$(convert src=b.bmp)" "written"
sleep 3
expect_eq "PNG to BMP past the old limit" "$(convert src=a.png)" "written"
expect_eq "BMP to BMP past the old limit" "$(convert src=b.bmp)" "written"
expect_eq "host alive" "$(alive)" "yes"
expect_eq "BMP copy starts as a BMP" "$(head -c 2 "$SITE/img/out_b.bmp.bmp")" "BM"
expect_eq "no temporary image files" "$(temp_files)" "0"
kill "$HOST_PID"; wait "$HOST_PID" 2>/dev/null; HOST_PID=""

# 2. A fatal error inside a call fails that call only.
mkdir -p "$WORK/magick"
cat >"$WORK/magick/policy.xml" <<'XML'
<policymap><policy domain="resource" name="time" value="2"/></policymap>
XML
MAGICK_CONFIGURE_PATH="$WORK/magick" start_host
expect_eq "BMP read before the policy's limit" "$(convert src=b.bmp)" "written"
sleep 3
# 0x40020037's text.
expect_has "the call that meets the fatal error fails as not written" \
  "$(convert 'src=a.png&mark=b.bmp')" "failed: The image could not be written to"
expect_eq "host alive after the fatal error" "$(alive)" "yes"
expect_eq "ImageMagick not used again" "$(convert src=b.bmp)" "not read"
expect_eq "other formats still written" "$(convert src=a.png)" "written"
expect_has "the fatal error is logged" "$(cat "$WORK/host.err")" "ImageMagick fatal error"
expect_eq "no temporary image files after it" "$(temp_files)" "0"

finish
