<%@ LANGUAGE=JScript %>
<!-- #include virtual="/inc/layout.inc" -->
<% Session("visits") = (Session("visits") || 0) + 1; %>
<% PageHead("Session state"); %>
<p>You have opened this page <b><%= Session("visits") %></b> times in this
session (id <%= Session.SessionID %>). Requests of one session run one at a
time; pages marked <code>ENABLESESSIONSTATE=False</code> never wait.</p>
<p><a href="session.asp">Again</a></p>
<% PageFoot(); %>
