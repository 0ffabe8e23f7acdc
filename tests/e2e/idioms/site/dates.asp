<%@ LANGUAGE=JScript %>
<%
function show(name, value) { Response.Write(name + ": " + value + "\n"); }
var d = new Date(2024, 0, 2, 10, 30, 0);
show("toString", d.toString());
show("toUTCString", d.toUTCString());
show("toDateString", d.toDateString());
show("toTimeString", d.toTimeString());
show("toLocaleString", d.toLocaleString());
show("toLocaleDateString", d.toLocaleDateString());
show("toLocaleTimeString", new Date(2024, 0, 2, 21, 5, 9).toLocaleTimeString());
show("concatenated", "at " + d);
show("m/d/yyyy", new Date("1/2/2024").toString());
show("yyyy/mm/dd hh:mm", new Date("2024/01/02 10:30").toString());
show("month name", new Date("January 1, 2030 10:00:00").toString());
show("day month year", new Date("2 Jan 2024").toDateString());
show("with PM", new Date("1/2/2024 3:05 PM").getHours());
show("12 AM", new Date("1/2/2024 12:15 AM").getHours());
show("with zone", new Date("Tue Jan 2 10:30:00 UTC+0100 2024").getUTCHours());
show("reads its own forms", Date.parse(d.toString()) == d.getTime() &&
     Date.parse(d.toUTCString()) == d.getTime() && Date.parse(d.toLocaleString()) == d.getTime());
show("invalid date", new Date("next tuesday-ish"));
show("getYear 2024", d.getYear());
%>
