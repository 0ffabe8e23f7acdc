#!/usr/bin/env bash
# The sample gallery (site/gallery) through a real vant-host: a picture sent
# with curl comes back as a thumbnail, two watermarked copies and three
# conversions of the exact size and format, read back by the image processor
# and checked by their first bytes; script files are refused; and
# --max-image-pixels refuses a picture over the limit.
source "$(dirname "$0")/lib.sh"

cp -r "$SOURCE/site/inc" "$SITE/inc"
mkdir -p "$SITE/gallery/photos"
cp "$SOURCE"/site/gallery/*.asp "$SOURCE"/site/gallery/*.inc "$SOURCE"/site/gallery/mark.png \
  "$SITE/gallery/"
SAMPLES="$SOURCE/../shared/testdata/images"

# As make run serves it: the photos folder holds visitors' files.
start_host --upload-folder /gallery/photos

# upload FILE [CAPTION]: posts FILE as the gallery's picture; prints the page.
upload() {
  curl -s -F "photo=@$1" -F "caption=${2:-Hello}" "$BASE/gallery/upload.asp"
}

# first_bytes URL N: the first N bytes of a file served by the host, in hex.
first_bytes() { curl -s "$BASE$1" | head -c "$2" | od -An -tx1 | tr -d ' \n'; }

mark=$(upload "$SITE/gallery/mark.png" "Gallery & <test>")
expect_has "thumbnail is a 200x150 JPEG" "$mark" "Thumbnail 200 × 150: <span class=\"facts\">JPEG 200x150"
size=$(grep -o 'Original: <span class="facts">PNG [0-9]*x[0-9]*' <<<"$mark" | grep -o '[0-9]*x[0-9]*$')
expect_has "original read back as PNG" "$mark" "Original: <span class=\"facts\">PNG "
for row in "Image watermark:JPEG" "Text watermark:JPEG" "PNG copy:PNG" "GIF copy:GIF" "BMP copy:BMP"; do
  expect_has "${row%%:*} is ${row#*:} of the source size" "$mark" \
    "${row%%:*}: <span class=\"facts\">${row#*:} $size"
done
expect_has "EXIF table shown" "$mark" "<td>PixelFormat</td><td>32bppARGB</td>"
expect_eq "thumbnail starts as a JPEG" "$(first_bytes /gallery/photos/mark_thumb.jpg 3)" "ffd8ff"
expect_eq "PNG copy starts as a PNG" "$(first_bytes /gallery/photos/mark_copy.png 4)" "89504e47"
expect_eq "GIF copy starts as a GIF" "$(first_bytes /gallery/photos/mark_copy.gif 4)" "47494638"
expect_eq "BMP copy starts as a BMP" "$(first_bytes /gallery/photos/mark_copy.bmp 2)" "424d"
expect_eq "pictures stay inline for <img>, sandboxed" "$(curl -s -D - -o /dev/null \
  "$BASE/gallery/photos/mark_thumb.jpg" | tr -d '\r' | grep -ci '^content-disposition\|^x-content-type-options: nosniff')" "1"

# The same name again gets a free name; the first picture's files stay.
again=$(upload "$SITE/gallery/mark.png")
expect_has "a second upload takes a free name" "$again" "/gallery/photos/mark(0)_thumb.jpg"
expect_eq "first thumbnail kept" "$(first_bytes /gallery/photos/mark_thumb.jpg 3)" "ffd8ff"

if [ -f "$SAMPLES/canon_40d.jpg" ]; then
  photo=$(upload "$SAMPLES/canon_40d.jpg")
  expect_has "EXIF camera model shown" "$photo" "<td>MDEquipModel</td><td>Canon EOS 40D</td>"
  expect_has "photo thumbnail 200x150" "$photo" "Thumbnail 200 × 150: <span class=\"facts\">JPEG 200x150"
fi
if [ -f "$SAMPLES/bmpsuite_rgb16-565.bmp" ]; then
  bmp=$(upload "$SAMPLES/bmpsuite_rgb16-565.bmp")
  expect_has "BMP source read" "$bmp" "Original: <span class=\"facts\">BMP 127x64"
  expect_has "BMP pixel format" "$bmp" "<td>PixelFormat</td><td>16bppRGB565</td>"
  expect_has "BMP thumbnail" "$bmp" "Thumbnail 200 × 150: <span class=\"facts\">JPEG 200x150"
fi

# Hostile: a script named as such, and a script named as a picture.
printf '<%% Response.Write("ran") %%>' >"$WORK/evil.asp"
cp "$WORK/evil.asp" "$WORK/evil.jpg"
expect_has "a page file is refused" "$(upload "$WORK/evil.asp")" "Not a picture this gallery takes"
expect_has "text named .jpg is refused" "$(upload "$WORK/evil.jpg")" "Not a picture this gallery takes"
expect_eq "nothing saved from them" "$(ls "$SITE/gallery/photos" | grep -c evil)" "0"
expect_has "no picture chosen" "$(curl -s -F caption=x "$BASE/gallery/upload.asp")" "Choose a picture first."

# A host limit below the picture's size: it is kept, but nothing is made.
kill "$HOST_PID"; wait "$HOST_PID" 2>/dev/null; HOST_PID=""
start_host --max-image-pixels 100
small=$(upload "$SITE/gallery/mark.png")
expect_lacks "no thumbnail over the limit" "$small" "JPEG 200x150"
expect_has "the write failure is shown" "$small" "mark(1)_thumb.jpg"
expect_eq "bad limit rejected" "$("$BUILD/vant-host" --site "$SITE" --max-image-pixels 0 2>&1 |
  head -1)" "vant-host: bad value for --max-image-pixels: 0"

finish
