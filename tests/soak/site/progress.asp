<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
// One progress record as "total transferred percent working".
var p = Server.CreateObject("VANT.Progress");
p.SetProgressID(Number(Request.QueryString("id")));
Response.Write(p.TotalSize + " " + p.TransferSize + " " + p.Percent + " " + (p.Working ? 1 : 0));
%>