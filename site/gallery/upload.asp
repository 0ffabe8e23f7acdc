<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include file="gallery.inc" -->
<%
var up = Server.CreateObject("VANT.FileUpload");
var error = "", made = null, facts = {};
try {
  up.CodePage = 65001;
  up.DefaultPath = Server.MapPath(GALLERY_FOLDER);
  up.MaxFileLen = 20 * 1024 * 1024;
  var photo = up.Form("photo");
  var caption = String(up.Form("caption").Value);
  if (String(photo.FileName) == "") {
    error = "Choose a picture first.";
  } else if (!IMAGE_EXTENSIONS[String(photo.FileExtension).toLowerCase()] || !photo.IsImageItem()) {
    error = "Not a picture this gallery takes: " + photo.FileName;
  } else {
    photo.Save("", false);  // a free name: never over someone else's picture
    made = MakeDerivedFiles(String(photo.LastSavedFileName), caption, facts);
    if (!made) error = "The picture was saved but could not be read.";
  }
} catch (e) {
  error = HidePaths(e.source || e.message);
}
PageHead("Gallery: your picture");
%>
<% if (error) { %><p class="error"><%= Server.HTMLEncode(error) %></p><% } %>
<% if (made) { %>
<%= ShowFiles(made) %>
<h2>EXIF data</h2>
<%= ShowExif(facts.proc) %>
<% } %>
<p><a href="default.asp">Send another picture</a></p>
<% PageFoot(); %>
