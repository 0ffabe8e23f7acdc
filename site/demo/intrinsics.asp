<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<% PageHead("The page objects"); %>
<table>
<tr><th>Request.QueryString("name")</th><td><%= Server.HTMLEncode(String(Request.QueryString("name"))) %></td></tr>
<tr><th>Request.QueryString("lang")</th><td><%= Server.HTMLEncode(String(Request.QueryString("lang"))) %></td></tr>
<tr><th>Request.ServerVariables("REQUEST_METHOD")</th><td><%= Request.ServerVariables("REQUEST_METHOD") %></td></tr>
<tr><th>Request.ServerVariables("HTTP_USER_AGENT")</th><td><%= Server.HTMLEncode(String(Request.ServerVariables("HTTP_USER_AGENT"))) %></td></tr>
<tr><th>Server.MapPath("/uploads")</th><td><%= Server.HTMLEncode(HidePaths(Server.MapPath("/uploads"))) %> (the server's folders are not shown to visitors)</td></tr>
<tr><th>Session.SessionID</th><td><%= Session.SessionID %></td></tr>
<tr><th>Application("startedAt")</th><td><%= Application("startedAt") %></td></tr>
</table>
<% PageFoot(); %>
