#!/usr/bin/env bash
# The sample gallery (site/gallery) through a real vant-host: a picture sent
# with curl comes back as a thumbnail, two watermarked copies and three
# conversions in its proportions and never enlarged, read back by the image
# processor and checked by their first bytes; script files are refused; a
# huge picture costs little disk and old uploads make room; and
# --max-image-pixels refuses a picture over the limit.
source "$(dirname "$0")/lib.sh"

cp -r "$SOURCE/site/inc" "$SITE/inc"
mkdir -p "$SITE/gallery/photos"
cp "$SOURCE"/site/gallery/*.asp "$SOURCE"/site/gallery/*.inc "$SOURCE"/site/gallery/mark.png \
  "$SITE/gallery/"
SAMPLES="$SOURCE/../shared/testdata/images"

# As make run serves it: the photos folder holds visitors' files.
start_host --upload-folder /gallery/photos

# The gallery takes uploads only from its own form: a session and its token.
JAR=$WORK/gallery.jar
# new_token: opens the gallery's form in a fresh session; sets TOKEN.
new_token() {
  : >"$JAR"
  TOKEN=$(curl -s -b "$JAR" -c "$JAR" "$BASE/gallery/default.asp" | grep -o 'token=[0-9a-f]\{32\}' | head -1)
}
new_token
expect_eq "the gallery's form carries a token" "${#TOKEN}" "38"
expect_eq "an upload without the token is refused" "$(curl -s -o /dev/null -w '%{http_code}' \
  -F "photo=@$SITE/gallery/mark.png" "$BASE/gallery/upload.asp")" "403"

# upload FILE [CAPTION]: posts FILE as the gallery's picture; prints the page.
upload() {
  curl -s -b "$JAR" -F "photo=@$1" -F "caption=${2:-Hello}" "$BASE/gallery/upload.asp?$TOKEN"
}

# first_bytes URL N: the first N bytes of a file served by the host, in hex.
first_bytes() { curl -s "$BASE$1" | head -c "$2" | od -An -tx1 | tr -d ' \n'; }
# facts PAGE LABEL: "FORMAT WxH" of the file shown under LABEL.
facts() { grep -o "$2: <span class=\"facts\">[^<]*" <<<"$1" | sed 's/.*">//'; }
# png FILE WIDTH HEIGHT BITS: a grey PNG of that size and depth, all black.
png() {
  python3 - "$@" <<'PY'
import struct, sys, zlib
path, w, h, bits = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
row = b"\0" * (1 + (w * bits + 7) // 8)
z = zlib.compressobj(9)
idat = b"".join(z.compress(row) for _ in range(h)) + z.flush()
with open(path, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, bits, 0, 0, 0, 0))
            + chunk(b"IDAT", idat) + chunk(b"IEND", b""))
PY
}

mark=$(upload "$SITE/gallery/mark.png" "Gallery & <test>")
expect_eq "original read back as PNG" "$(facts "$mark" Original)" "PNG 67x21"
for row in "Thumbnail:JPEG" "Image watermark:JPEG" "Text watermark:JPEG" "PNG copy:PNG" \
  "GIF copy:GIF" "BMP copy:BMP"; do
  expect_eq "${row%%:*} of a small picture is ${row#*:} of its size" \
    "$(facts "$mark" "${row%%:*}")" "${row#*:} 67x21"
done
expect_lacks "no view copy of a picture that fits" "$mark" "View copy"
expect_has "EXIF table shown" "$mark" "<td>PixelFormat</td><td>32bppARGB</td>"
expect_eq "thumbnail starts as a JPEG" "$(first_bytes /gallery/photos/photo0_thumb.jpg 3)" "ffd8ff"
expect_eq "PNG copy starts as a PNG" "$(first_bytes /gallery/photos/photo0_copy.png 4)" "89504e47"
expect_eq "GIF copy starts as a GIF" "$(first_bytes /gallery/photos/photo0_copy.gif 4)" "47494638"
expect_eq "BMP copy starts as a BMP" "$(first_bytes /gallery/photos/photo0_copy.bmp 2)" "424d"
expect_eq "pictures stay inline for <img>, sandboxed" "$(curl -s -D - -o /dev/null \
  "$BASE/gallery/photos/photo0_thumb.jpg" | tr -d '\r' | grep -ci '^content-disposition\|^x-content-type-options: nosniff')" "1"

# The same name again goes to the next slot; the first picture's files stay.
again=$(upload "$SITE/gallery/mark.png")
expect_has "a second upload takes the next slot" "$again" "/gallery/photos/photo1_thumb.jpg"
expect_eq "first thumbnail kept" "$(first_bytes /gallery/photos/photo0_thumb.jpg 3)" "ffd8ff"

# Proportions: a square stays square, a small photo is not enlarged, a large
# one is shown (and everything made) at the view size.
for row in "83 83:Thumbnail:JPEG 83x83" "300 300:Thumbnail:JPEG 150x150" "100 68:Thumbnail:JPEG 100x68" \
  "100 68:BMP copy:BMP 100x68" "1600 900:View copy:JPEG 320x180" \
  "1600 900:Thumbnail:JPEG 200x113" "1600 900:GIF copy:GIF 320x180" "30 400:Thumbnail:JPEG 11x150"; do
  IFS=: read -r dims label want <<<"$row"
  png "$WORK/p.png" ${dims% *} ${dims#* } 8
  expect_eq "$dims: $label" "$(facts "$(upload "$WORK/p.png")" "$label")" "$want"
done

if [ -f "$SAMPLES/canon_40d.jpg" ]; then
  photo=$(upload "$SAMPLES/canon_40d.jpg")
  expect_has "EXIF camera model shown" "$photo" "<td>MDEquipModel</td><td>Canon EOS 40D</td>"
  expect_eq "photo thumbnail in proportion" "$(facts "$photo" Thumbnail)" "JPEG 100x68"
fi
if [ -f "$SAMPLES/bmpsuite_rgb16-565.bmp" ]; then
  bmp=$(upload "$SAMPLES/bmpsuite_rgb16-565.bmp")
  expect_has "BMP source read" "$bmp" "Original: <span class=\"facts\">BMP 127x64"
  expect_has "BMP pixel format" "$bmp" "<td>PixelFormat</td><td>16bppRGB565</td>"
  expect_eq "BMP thumbnail" "$(facts "$bmp" Thumbnail)" "JPEG 127x64"
fi

# Hostile: a 1-bit PNG of 10000 x 10000 pixels (the default pixel limit),
# some 12 KB, once made about 300 MB of derived files. Now one view copy
# and small files; and however many pictures are sent, the folder holds at
# most ten with their derived files.
png "$WORK/huge.png" 10000 10000 1
huge=$(upload "$WORK/huge.png")
expect_eq "huge picture shown at the view size" "$(facts "$huge" "View copy")" "JPEG 240x240"
expect_eq "huge picture's BMP copy at the view size" "$(facts "$huge" "BMP copy")" "BMP 240x240"
used=$(du -sk "$SITE/gallery/photos" | cut -f1)
if [ "$used" -lt 4096 ]; then pass "derived files of the huge picture are small"; else
  fail "derived files of the huge picture are small" "${used} KB"; fi
for _ in $(seq 1 12); do upload "$SITE/gallery/mark.png" >/dev/null; done
expect_eq "at most ten pictures kept" "$(ls "$SITE/gallery/photos" | grep -c '^photo[0-9]*\.')" "10"
used=$(du -sk "$SITE/gallery/photos" | cut -f1)
if [ "$used" -lt 1024 ]; then pass "the oldest pictures' files are gone"; else
  fail "the oldest pictures' files are gone" "${used} KB"; fi

# Hostile: a script named as such, and a script named as a picture.
printf '<%% Response.Write("ran") %%>' >"$WORK/evil.asp"
cp "$WORK/evil.asp" "$WORK/evil.jpg"
expect_has "a page file is refused" "$(upload "$WORK/evil.asp")" "Not a picture this gallery takes"
expect_has "text named .jpg is refused" "$(upload "$WORK/evil.jpg")" "Not a picture this gallery takes"
expect_eq "nothing saved from them" "$(ls "$SITE/gallery/photos" | grep -c evil)" "0"
expect_has "no picture chosen" "$(curl -s -b "$JAR" -F caption=x "$BASE/gallery/upload.asp?$TOKEN")" "Choose a picture first."

# A host limit below the picture's size: it is kept, but nothing is made.
kill "$HOST_PID"; wait "$HOST_PID" 2>/dev/null; HOST_PID=""
start_host --max-image-pixels 100
new_token
small=$(upload "$SITE/gallery/mark.png")
expect_lacks "no thumbnail over the limit" "$small" "JPEG 200x150"
expect_has "the write failure is shown" "$small" "_thumb.jpg"
expect_eq "bad limit rejected" "$("$BUILD/vant-host" --site "$SITE" --max-image-pixels 0 2>&1 |
  head -1)" "vant-host: bad value for --max-image-pixels: 0"

finish
