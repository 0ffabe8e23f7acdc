<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include virtual="/inc/layout.inc" -->
<% PageHead("Form posts"); %>
<form method="post" action="form.asp">
  <input name="greeting" value="안녕하세요 こんにちは">
  <button>Send</button>
</form>
<% if (Request.ServerVariables("REQUEST_METHOD") == "POST") { %>
<p>You sent: <b><%= Server.HTMLEncode(String(Request.Form("greeting"))) %></b></p>
<% } %>
<% PageFoot(); %>
