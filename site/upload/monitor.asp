<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
// The monitor window: must not wait for the session, which the upload
// request holds while it runs.
var monitor = Server.CreateObject("VANT.FileUploadMonitor");
monitor.ShowMonitor();
%>
<script>
// An upload refused by the host or a proxy (413 over --max-body or the
// proxy's body limit) never reaches the upload page, so no upload reports to
// this window and it would show "0B / 0B (0%)" for ever. So while it shows an
// empty record, look at the form's window: once it has left the form, the
// upload is over. If it shows one of this site's pages the upload reached the
// page (this window only missed its end): close. Otherwise it shows the
// refusal, or a browser error page: say why, then close.
(function () {
  if (!/\b0B \/ 0B\b/.test(document.body ? document.body.innerHTML : "")) return;
  var form = window.opener;
  if (!form || form.closed) return;
  try {
    if (/\/upload\/(default\.asp)?$/.test(form.location.pathname)) return;
    if (form.document.readyState !== "complete") return;
    if (form.document.querySelector("link[href='/site.css']")) {
      top.window.close();
      return;
    }
  } catch (e) {
    // A browser error page (the connection was cut): the upload was refused.
  }
  location.replace("refused.htm");
})();
</script>
