<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<% PageHead("Image gallery"); %>
<p>Send a picture (JPEG, PNG, GIF, TIFF, BMP, icon or WMF, up to 10 MB). The
server keeps it in <code>/gallery/photos</code> and makes from it, with
<code>VANT.ImageProc</code>, what this sample shows: a thumbnail of at most
200 × 150, a copy marked with a small image, a copy marked with your
caption, PNG, GIF and BMP conversions (all at most 320 × 240, in the
picture's proportions), and a table of its EXIF data. The gallery keeps the
last ten pictures for an hour at most.</p>
<form method="post" action="upload.asp?<%= FormTokenQuery() %>" enctype="multipart/form-data">
  <p><label>Picture <input type="file" name="photo" accept="image/*"></label></p>
  <p><label>Caption <input type="text" name="caption" value="VANTUpload" maxlength="80"></label></p>
  <p><button type="submit">Send</button></p>
</form>
<p>The code is short: <code>site/gallery/upload.asp</code> saves the file and
calls the image processor; <code>gallery.inc</code> writes the pictures and the
table.</p>
<% PageFoot(); %>
