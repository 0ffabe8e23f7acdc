<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include file="gallery.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
// Only the gallery's own form may upload: checked before the body is read.
RefuseForeignPost();
var up = Server.CreateObject("VANT.FileUpload");
var error = "", made = null, facts = {}, sentName = "";
try {
  up.CodePage = 65001;
  up.DefaultPath = Server.MapPath(GALLERY_FOLDER);
  up.MaxFileLen = GALLERY_MAX_FILE;
  var photo = up.Form("photo");
  var caption = String(up.Form("caption").Value).substring(0, CAPTION_MAX_CHARS);
  var extension = String(photo.FileExtension).toLowerCase();
  sentName = String(photo.FileName);
  if (sentName == "") {
    error = "Choose a picture first.";
  } else if (!IMAGE_EXTENSIONS.hasOwnProperty(extension) || !photo.IsImageItem()) {
    error = "Not a picture this gallery takes: " + sentName;
  } else {
    // A slot of its own: never over another visitor's current picture, and
    // the oldest pictures make room.
    var saved = SlotBase(TakeSlot(up)) + "." + extension;
    photo.SaveAsVirtual(saved, true);
    made = MakeDerivedFiles(saved, caption, facts);
    if (!made) error = "The picture was saved but could not be read.";
  }
} catch (e) {
  error = HidePaths(e.source || e.message);
}
PageHead("Gallery: your picture");
%>
<% if (error) { %><p class="error"><%= Server.HTMLEncode(error) %></p><% } %>
<% if (made) { %>
<p>Sent as <%= Server.HTMLEncode(sentName) %>.</p>
<%= ShowFiles(made) %>
<h2>EXIF data</h2>
<%= ShowExif(facts.proc) %>
<% } %>
<p><a href="default.asp">Send another picture</a></p>
<% PageFoot(); %>
