<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<!-- #include virtual="/inc/form_token.inc" -->
<%
var p = Server.CreateObject("VANT.Progress");
var id = p.GetProgressID();
PageHead("Progress bar in the page");
%>
<p>The form is sent with <code>fetch</code> while the page asks
<code>progress.asp</code> for the progress twice a second.</p>
<form id="f" method="post" action="save.asp?pid=<%= id %>&amp;<%= FormTokenQuery() %>" enctype="multipart/form-data">
  <p><input type="file" name="file1" multiple> <button>Upload</button></p>
</form>
<div style="border:1px solid #888;width:400px;height:16px"><div id="bar" style="background:#36c;width:0;height:16px"></div></div>
<p id="status"></p>
<div id="result"></div>
<script>
var id = <%= id %>;
function poll() {
  return fetch("progress.asp?id=" + id, {cache: "no-store"}).then(function (r) { return r.json(); })
    .then(function (p) {
      if (p.total > 0) {
        var pct = Math.floor(p.transferred * 100 / p.total);
        document.getElementById("bar").style.width = (pct * 4) + "px";
        document.getElementById("status").textContent = p.transferred + " of " + p.total +
          " bytes (" + pct + "%), " + Math.round(p.bytesPerSec / 1024) + " KB/s, " + p.fileName;
      }
    });
}
document.getElementById("f").addEventListener("submit", function (ev) {
  ev.preventDefault();
  var timer = setInterval(poll, 500);
  fetch("save.asp?pid=" + id + "&fragment=1&<%= FormTokenQuery() %>", {method: "POST", body: new FormData(this)})
    .then(function (r) { return r.text(); })
    .then(function (html) {
      clearInterval(timer);
      document.getElementById("bar").style.width = "400px";
      document.getElementById("status").textContent = "Done.";
      document.getElementById("result").innerHTML = html;
    });
});
</script>
<% PageFoot(); %>
