<%@ LANGUAGE=JScript CODEPAGE=65001 %>
<!-- #include file="inc/layout.inc" -->
<% PageHead("Welcome"); %>
<p>VANTUpload is a set of server components for pages written in classic ASP
with JScript. A page creates a component with
<code>Server.CreateObject("VANT.FileUpload")</code> and uses it to receive
uploads with live progress, send files with resume, keep files in a database,
and make thumbnails and watermarks.</p>

<h2>Demos</h2>
<ul>
  <li><a href="/demo/intrinsics.asp?name=World&amp;lang=%ED%95%9C%EA%B5%AD%EC%96%B4">The page objects</a>: Request, Response, Server, Session, Application</li>
  <li><a href="/demo/session.asp">Session state</a>: a counter kept per browser</li>
  <li><a href="/demo/form.asp">Form posts</a>: fields decoded as UTF-8</li>
  <li><a href="/demo/components.asp">Components</a>: which classes are registered here</li>
  <li><a href="/upload/">Uploads</a>: a monitor window, several files with fields in several languages, a progress bar in the page</li>
  <li><a href="/download/">Downloads</a>: inline, attachment and resumed downloads, and the <a href="/download/cache.asp">file cache</a></li>
  <li><a href="/db/">Files in a database</a>: uploads stored in a SQLite table and sent back from it</li>
  <li><a href="/gallery/">Image gallery</a>: thumbnails, watermarks, format conversions and EXIF readouts of uploaded pictures</li>
  <li><a href="/virus/">Virus-scan settings</a>: the settings object</li>
</ul>

<h2>Writing a page</h2>
<pre><%= Server.HTMLEncode('<%@ LANGUAGE=JScript %>\n<% var up = Server.CreateObject("VANT.FileUpload");\n   up.DefaultPath = Server.MapPath("/uploads"); %>') %></pre>
<p>This page was served at <%= new Date().toUTCString() %>;
the site has been visited <%= Application("hits") %> times since the host started.</p>
<% Application.Lock(); Application("hits") = (Application("hits") || 0) + 1; Application.Unlock(); %>
<% PageFoot(); %>
