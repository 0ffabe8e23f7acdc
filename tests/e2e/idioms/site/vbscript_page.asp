<%@ Language=VBScript %>
<% Response.Write "hello" %>
