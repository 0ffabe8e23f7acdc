<%@ LANGUAGE=JScript ENABLESESSIONSTATE=False %><%
// A fresh progress id for the next upload.
Response.Write(Server.CreateObject("VANT.Progress").GetProgressID());
%>