<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
// Progress of one upload as JSON. Sessionless, so it answers while the
// upload request of the same browser is still running.
var p = Server.CreateObject("VANT.Progress");
if (Request.QueryString("id").Count > 0) p.SetProgressID(Number(Request.QueryString("id")));
Response.ContentType = "application/json";
Response.Expires = -1;
Response.Write('{"total":' + p.TotalSize + ',"transferred":' + p.TransferSize +
               ',"percent":' + p.Percent + ',"bytesPerSec":' + p.BytesPerSec +
               ',"working":' + (p.Working ? "true" : "false") +
               ',"fileName":"' + String(p.FileName).replace(/[\\"]/g, "\\$&").replace(/[\u0000-\u001f]/g, "") + '"}');
%>
