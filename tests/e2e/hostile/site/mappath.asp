<%@ LANGUAGE=JScript CODEPAGE=65001 ENABLESESSIONSTATE=False %><%
try { Response.Write("MAP|" + Server.MapPath(String(Request.QueryString("p")))); }
catch (e) { Response.Write("ERR|" + e.description); }
%>
