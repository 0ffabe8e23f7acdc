<%@ LANGUAGE=JScript %>
<%
function show(name, value) { Response.Write(name + ": " + value + "\n"); }
/*@ show("before cc_on", "ran"); @*/
show("before cc_on", "a comment");
/*@cc_on @*/
/*@if (@_jscript_version >= 5)
show("version test", "5 or later");
@else @*/
show("version test", "older");
/*@end @*/
show("version", @_jscript_version);
/*@if (@_win16) show("platform", "win16"); @elif (@_win32) show("platform", "win32"); @else @*/ show("platform", "other"); /*@end @*/
@set @level = 2 * 3
show("set variable", @level);
show("unknown variable", isNaN(@nothing_defined));
show("ScriptEngine", ScriptEngine() + " " + ScriptEngineMajorVersion() + "." + ScriptEngineMinorVersion());
show("build version", typeof ScriptEngineBuildVersion());
%>
