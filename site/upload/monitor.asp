<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
// The monitor window: must not wait for the session, which the upload
// request holds while it runs.
var monitor = Server.CreateObject("VANT.FileUploadMonitor");
monitor.ShowMonitor();
%>
