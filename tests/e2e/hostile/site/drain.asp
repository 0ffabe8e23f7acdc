<%@ ENABLESESSIONSTATE=False %><% var n = 0, c;
while ((c = Request.BinaryRead(65536)) && new VBArray(c).ubound() >= 0) n += new VBArray(c).ubound() + 1;
Response.Write("READ|" + n); %>
