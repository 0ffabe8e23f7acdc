#include "host/pages/script_engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "engine_test_support.h"
#include "host/pages/source_loader.h"
#include "platform/sys/ansi_code_page.h"
#include "platform/sys/thread_stack.h"

namespace vant::host::pages::testing {
namespace {

struct ScriptCase {
  const char* code;
  const char* expected;
};

class ScriptEngineTest : public EngineFixture {};

// Members in any letter case, gets, puts, methods with omitted optional
// arguments, properties with arguments and default members.
TEST_F(ScriptEngineTest, MembersReadWriteAndCall) {
  const ScriptCase cases[] = {
      {"Response.Write(Widget.name)", "widget"},
      {"Widget.NAME = 'x'; Response.Write(Widget.nAmE)", "x"},
      {"Response.Write(Widget.Add(1))", "11"},
      {"Response.Write(Widget.add(1, 2))", "3"},
      {"Response.Write(Widget.Add(5, undefined))", "15"},
      {"Response.Write(Widget.Double(21))", "42"},
      {"Response.Write(typeof Widget.Nope)", "undefined"},
      {"Widget('k') = 5; Response.Write(Widget('k') + 1)", "6"},
      {"Widget.Item('k') = 'v'; Response.Write(Widget.Item('k'))", "v"},
      {"Widget('n') = 1; Widget('n')++; Widget('n') += 5; Response.Write(Widget('n'))", "7"},
      {"Widget.Child('x') = 'y'; Response.Write(Widget.Child('x'))", "y"},
      {"Response.Cookies('a') = 'z'; Response.Write(Response.Cookies('a'))", "z"},
      {"Response.Write('' + Widget)", "widget"},
      {"Response.Write(String(Widget.Child))", "widget"},
      {"Response.Write('' + (Widget.Child == 'widget'))", "true"},
      {"Response.Write('' + (Widget.Item == 'widget'))", "true"},
      {"var f = Widget.Add; Response.Write(f(2, 3))", "5"},
      {"Response.Write(Widget.Count)", "0"},
      // Script objects called through the translator's member-call helper.
      {"var o = {Item: function () { return arguments.length + ':' + arguments[0]; },"
       " Init: function () { return this.Item(); }};"
       "Response.Write(o.Item(5) + ' ' + o.Init())",
       "1:5 0:undefined"},
      // A page's own coercion on a built-in prototype wins over the default member.
      {"Object.defineProperty(Function.prototype, Symbol.toPrimitive, {configurable: true,"
       " value: function (h) { return h + ' ' + this.Name; }});"
       "Response.Write(Widget + '|' + String(Widget))",
       "default widget|string widget"},
  };
  for (const ScriptCase& c : cases) {
    widget->items.clear();
    widget->name = u"widget";
    EXPECT_EQ(Output(c.code), c.expected) << c.code;
  }
}

// Script values as the component sees them, and back.
TEST_F(ScriptEngineTest, ValuesCrossTheBoundary) {
  const ScriptCase cases[] = {
      {"Response.Write(Widget.TypeOf(5))", "i4"},
      {"Response.Write(Widget.TypeOf(-0))", "i4"},
      {"Response.Write(Widget.TypeOf(2.5))", "r8"},
      {"Response.Write(Widget.TypeOf(4294967296))", "r8"},
      {"Response.Write(Widget.TypeOf('s'))", "bstr"},
      {"Response.Write(Widget.TypeOf(true))", "bool"},
      {"Response.Write(Widget.TypeOf(null))", "null"},
      {"Response.Write(Widget.TypeOf(Widget))", "dispatch"},
      {"Response.Write(Widget.TypeOf(new Date()))", "date"},
      {"Response.Write(Widget.TypeOf(Widget.Bytes))", "bytes"},
      {"Response.Write('' + (Widget.Echo(null) === null))", "true"},
      {"Response.Write('' + (Widget.Echo('\\u00e9\\ud83d\\ude00') === '\\u00e9\\ud83d\\ude00'))",
       "true"},
      {"var d = Widget.Echo(new Date(1999, 11, 31, 23, 59, 58));"
       "Response.Write(d.getFullYear() + '-' + d.getMonth() + '-' + d.getDate() + ' ' +"
       " d.getHours() + ':' + d.getMinutes() + ':' + d.getSeconds())",
       "1999-11-31 23:59:58"},
      {"Response.Write(Widget.Echo(Widget).Name)", "widget"},
      {"Response.Write(typeof new Date().getVarDate())", "object"},
  };
  for (const ScriptCase& c : cases) EXPECT_EQ(Output(c.code), c.expected) << c.code;
}

// Pages that never name the helpers start without them; code built at run
// time still finds them, and dates still cross (the first date loads them).
TEST_F(ScriptEngineTest, HelpersReachCodeBuiltAtRunTime) {
  const ScriptCase cases[] = {
      {"Response.Write(typeof eval('Enum' + 'erator'))", "function"},
      {"Response.Write(typeof new Function('return VB' + 'Array')())", "function"},
      {"Response.Write(Widget.Echo(new Date(2001, 1, 3)).getDate())", "3"},
      {"var n = 1; Widget.Item('k') = n; Response.Write(Widget('k'))", "1"},
  };
  for (const ScriptCase& c : cases) EXPECT_EQ(Output(c.code), c.expected) << c.code;
}

TEST_F(ScriptEngineTest, EnumeratorWalksACollection) {
  widget->items[u"a"] = Variant::I4(1);
  widget->items[u"b"] = Variant::I4(2);
  EXPECT_EQ(Output("var e = new Enumerator(Widget);"
                   "for (; !e.atEnd(); e.moveNext()) Response.Write(e.item() + '=' + "
                   "Widget(e.item()) + ';');"
                   "e.moveFirst(); Response.Write(e.item());"),
            "a=1;b=2;a");
  EXPECT_EQ(
      Output("var e = new Enumerator(Widget.Child); Response.Write(e.atEnd() + ':' + e.item())"),
      "true:undefined");
}

TEST_F(ScriptEngineTest, VBArrayReadsAByteArray) {
  EXPECT_EQ(
      Output("var a = new VBArray(Widget.Bytes);"
             "Response.Write(a.toArray().join(',') + '|' + a.lbound() + '|' + a.ubound() + '|' +"
             " a.dimensions() + '|' + a.getItem(2))"),
      "7,0,255|0|2|1|255");
  EXPECT_EQ(Output("try { new VBArray('x') } catch (e) { Response.Write('rejected') }"),
            "rejected");
}

// Date texts at the edges of what JScript reads (the common forms are in
// the e2e idioms); each row names the time it means, or NaN.
TEST_F(ScriptEngineTest, DateTextsReadAsJScriptReadsThem) {
  const ScriptCase cases[] = {
      {"12/31/99 GMT", "Date.UTC(1999, 11, 31)"},
      {"Jan 2 2024 10:30 PM UTC", "Date.UTC(2024, 0, 2, 22, 30)"},
      {"(noted) Tuesday, 2 January 2024 9:05:07 GMT-0500", "Date.UTC(2024, 0, 2, 14, 5, 7)"},
      {"Tue Jan 2 10:30:00 PST 2024", "Date.UTC(2024, 0, 2, 18, 30)"},
      {"2024-01-02T10:30:00Z", "Date.UTC(2024, 0, 2, 10, 30)"},
      {"2024/13/01 GMT", "NaN"},
      {"1/2/2024 13:00 PM GMT", "NaN"},
      {"1/2/2024 10:60 GMT", "NaN"},
      {"1234567/1/2", "NaN"},
      {"Jan Feb 2 2024", "NaN"},
      {"2 2 2024", "NaN"},
      {"10:30 GMT", "NaN"},
      {"1/2/2024 (unclosed", "NaN"},
      {"", "NaN"},
  };
  for (const ScriptCase& c : cases) {
    const std::string code = std::string("var p = Date.parse('") + c.code +
                             "'), w = " + c.expected +
                             "; Response.Write(String(p === w || (p !== p && w !== w)))";
    EXPECT_EQ(Output(code), "true") << c.code;
  }
}

// A failing member's error record reaches the script's catch block.
TEST_F(ScriptEngineTest, FailedCallRaisesErrorWithTheRecord) {
  EXPECT_EQ(
      Output(
          "try { Widget.Fail() } catch (e) {"
          " Response.Write(e.number + '|' + e.description + '|' + e.message + '|' + e.source) }"),
      std::to_string(kFailStatus) + "|Widget component|Widget component|The widget refused");
  // Without a record: a generic text for the status.
  EXPECT_EQ(Output("try { Widget.Double() } catch (e) {"
                   " Response.Write((e.number < 0) + '|' + (e.description.length > 0) + '|' +"
                   " (e.description === e.message)) }"),
            "true|true|true");
  // The dispatcher's own failures carry JScript's numbers.
  EXPECT_EQ(Output("try { Widget.Nope = 1 } catch (e) { Response.Write(e.number) }"),
            std::to_string(static_cast<std::int32_t>(0x800A01B6)));
}

TEST_F(ScriptEngineTest, UncaughtErrorsMapToThePageLine) {
  struct ErrorCase {
    const char* page;
    std::int32_t number;
    int line;
    const char* source;
  };
  const ErrorCase cases[] = {
      {"<p>\n</p>\n<% Widget.Fail() %>", kFailStatus, 3, "The widget refused"},
      {"<%\n\nnoSuchThing + 1 %>", static_cast<std::int32_t>(0x800A1391), 3, ""},
  };
  for (const ErrorCase& c : cases) {
    const PageRun run = Run(c.page);
    ASSERT_EQ(run.result.outcome, ScriptOutcome::Failed) << c.page;
    ASSERT_TRUE(run.result.error.has_value());
    const ScriptError& error = *run.result.error;
    EXPECT_EQ(error.number, c.number) << c.page;
    EXPECT_EQ(error.line, c.line) << c.page;
    EXPECT_EQ(error.file, "/page.asp") << c.page;
    EXPECT_EQ(error.source, c.source) << c.page;
    EXPECT_EQ(error.category, "JScript runtime error") << c.page;
  }
}

TEST_F(ScriptEngineTest, SyntaxErrorIsACompilationError) {
  const PageRun run = Run("<p>\n<% var = ; %>");
  ASSERT_EQ(run.result.outcome, ScriptOutcome::Failed);
  EXPECT_EQ(run.result.error->category, "JScript compilation error");
  EXPECT_EQ(run.result.error->line, 2);
  EXPECT_EQ(run.output, "");
}

TEST_F(ScriptEngineTest, TimeoutCannotBeCaught) {
  timeoutSeconds = 1;
  const PageRun run = Run("<% try { while (true) {} } catch (e) {} Response.Write('after') %>");
  EXPECT_EQ(run.result.outcome, ScriptOutcome::TimedOut);
  EXPECT_EQ(run.output, "");
}

// Response.End stops the page at once, through catch and finally blocks.
TEST_F(ScriptEngineTest, EndStopsThePage) {
  const char* pages[] = {
      "<% Response.Write('a'); Response.End(); Response.Write('after') %>",
      "<% Response.Write('a'); try { Response.End() } finally { Response.Write('finally') } "
      "Response.Write('after') %>",
      "<% Response.Write('a'); try { Widget.End() } catch (e) { Response.Write('caught') } %>",
      "<% Response.Write('a'); try { Response.End() } catch (e) { while (true) {} } %>",
  };
  for (const char* page : pages) {
    const PageRun run = Run(page);
    EXPECT_EQ(run.result.outcome, ScriptOutcome::Ended) << page;
    EXPECT_EQ(run.output, "a") << page;
    response->ended = false;
  }
}

TEST_F(ScriptEngineTest, MemoryCapStopsAGreedyPage) {
  ScriptEngineOptions options;
  options.heapLimitBytes = std::size_t{8} << 20;
  const PageRun run = Run("<% var a = [], s = 'x'; for (;;) { s = s + s; a.push(s); } %>", options);
  ASSERT_EQ(run.result.outcome, ScriptOutcome::Failed);
  EXPECT_EQ(run.result.error->number, E_OUTOFMEMORY);
  // The same cap leaves room for an ordinary page.
  EXPECT_EQ(Run("<% Response.Write('fine') %>", options).output, "fine");
}

// The out-of-memory error says what ran out, caught or not.
TEST_F(ScriptEngineTest, OutOfMemoryNamesTheLimit) {
  ScriptEngineOptions options;
  options.heapLimitBytes = std::size_t{8} << 20;
  const std::string greedy = "var s = 'x'; for (;;) s += s;";
  const std::string text = "Out of memory: the page's script needed more than its limit of 8 MB.";
  EXPECT_EQ(Run("<% try { " + greedy +
                    " } catch (e) { Response.Write(e.number + '|' + e.source +"
                    " '|' + (e.description === e.source) + '|' + (e.message === e.source)) } %>",
                options)
                .output,
            std::to_string(E_OUTOFMEMORY) + "|" + text + "|true|true");
  const PageRun run = Run("<% " + greedy + " %>", options);
  ASSERT_EQ(run.result.outcome, ScriptOutcome::Failed);
  EXPECT_EQ(run.result.error->source, text);
  EXPECT_TRUE(run.result.memoryCapReached);
}

// Recursion through native code stops with a RangeError before the stack
// ends, however small the thread's stack is.
TEST_F(ScriptEngineTest, DeepRecursionStopsBeforeTheStackEnds) {
  const char* recursions[] = {
      "function f() { [0].map(f); } f();",
      "var p = ''; for (var i = 0; i < 9000; i++) p += '('; new RegExp(p + 'a' + p.replace(/\\(/g, "
      "')'));",
      "/(a|b)*c/.test(new Array(9000).join('a'));",
  };
  constexpr std::size_t kSmallStack = std::size_t{256} << 10;
  ASSERT_TRUE(sys::SetDefaultThreadStackSize(kSmallStack));
  for (const char* code : recursions) {
    std::string output;
    std::thread([&] {
      output = Output(std::string("try { ") + code +
                      " Response.Write('no error') }"
                      " catch (e) { Response.Write(e.name) }");
    }).join();
    EXPECT_EQ(output, "RangeError") << code;
  }
  ASSERT_TRUE(sys::SetDefaultThreadStackSize(std::size_t{8} << 20));
}

// A reused heap defines the globals every page has once (on a new thread:
// a new heap); a page whose bindings lack one does not see it, and the next
// page that has it does again.
TEST_F(ScriptEngineTest, SteadyGlobalsFollowEachPagesBindings) {
  context.steadyGlobals = 2;
  const ScriptGlobals both = context.globals;
  const ScriptGlobals responseOnly = {both[0]};
  std::string output;
  std::thread([&] {
    for (const ScriptGlobals* globals : {&both, &responseOnly, &both}) {
      context.globals = *globals;
      output += Output("Response.Write(typeof Widget + ' ')");
    }
  }).join();
  EXPECT_EQ(output, "object undefined object ");
}

// The heap holds references only while the page runs.
TEST_F(ScriptEngineTest, ObjectsAreReleasedWithTheHeap) {
  const char* pages[] = {
      "<% var keep = Widget.Child; var again = Widget.Echo(Widget); %>",
      "<% var keep = Widget.Child; var e = new Enumerator(Widget); Widget.Fail() %>",
      "<% var keep = [Widget.Child, Widget]; Response.End() %>",
  };
  // The fixture and the page context hold one each.
  const std::uint32_t widgetRefs = widget->References();
  const std::uint32_t responseRefs = response->References();
  for (const char* page : pages) {
    (void)Run(page);
    EXPECT_EQ(widget->References(), widgetRefs) << page;
    ASSERT_TRUE(widget->child);
    EXPECT_EQ(widget->child->References(), 1u) << page;
    EXPECT_EQ(response->References(), responseRefs) << page;
    response->ended = false;
  }
}

// Compiled pages are reused until the page or an include changes.
TEST_F(ScriptEngineTest, BytecodeCacheFollowsFileStamps) {
  const std::string page = std::string(kTestSiteRoot) + "/page.asp";
  const std::string include = std::string(kTestSiteRoot) + "/inc.inc";
  loader.files[page] = "<!-- #include file=\"inc.inc\" -->one";
  loader.files[include] = "A";
  stamps[page] = 1;
  stamps[include] = 1;
  struct Step {
    const char* pageText;
    const char* includeText;
    std::int64_t pageStamp;
    std::int64_t includeStamp;
    const char* expected;
  };
  const Step steps[] = {
      {"<!-- #include file=\"inc.inc\" -->one", "A", 1, 1, "Aone"},
      {"<!-- #include file=\"inc.inc\" -->two", "A", 1, 1, "Aone"},  // same stamps: cached
      {"<!-- #include file=\"inc.inc\" -->two", "A", 2, 1, "Atwo"},  // page changed
      {"<!-- #include file=\"inc.inc\" -->two", "B", 2, 1, "Atwo"},
      {"<!-- #include file=\"inc.inc\" -->two", "B", 2, 2, "Btwo"},  // include changed
  };
  for (const Step& step : steps) {
    loader.files[page] = step.pageText;
    loader.files[include] = step.includeText;
    stamps[page] = step.pageStamp;
    stamps[include] = step.includeStamp;
    loader.loads.clear();
    EXPECT_EQ(RunAsIs().output, step.expected) << step.pageText << " / " << step.includeText;
  }
  // A hit neither reads nor translates the files.
  loader.loads.clear();
  (void)RunAsIs();
  EXPECT_TRUE(loader.loads.empty());
}

// A page without CODEPAGE read in another ANSI code page is another page.
TEST_F(ScriptEngineTest, BytecodeCacheKeysOnTheAnsiCodePage) {
  const std::string page = std::string(kTestSiteRoot) + "/page.asp";
  loader.files[page] = "\x93\xFA";  // Shift_JIS for one character, two in Windows-1252
  stamps[page] = 1;
  const std::uint32_t before = sys::AnsiCodePage();
  const std::pair<std::uint32_t, const char*> rows[] = {
      {932, "\xE6\x97\xA5"}, {1252, "\xE2\x80\x9C\xC3\xBA"}, {932, "\xE6\x97\xA5"}};
  for (const auto& [codePage, output] : rows) {
    ASSERT_TRUE(sys::SetAnsiCodePage(codePage));
    EXPECT_EQ(RunAsIs().output, output) << codePage;
  }
  sys::SetAnsiCodePage(before);
}

// With the file system's own stamps, a page rewritten right after it was
// compiled (within one tick of the file clock) is compiled again.
TEST_F(ScriptEngineTest, QuickRewriteOfAPageFileIsSeen) {
  ClearPageCache();
  const std::string root = ::testing::TempDir() + "vant_quick_rewrite";
  std::filesystem::create_directories(root);
  const std::string path = root + "/page.asp";
  FileSourceLoader loader;
  const ScriptEngine engine;
  std::string seen;
  for (const char* text : {"one", "three", "fivefive"}) {
    std::ofstream(path, std::ios::trunc) << text;
    auto prepared = engine.PreparePage(loader, TranslateOptions{root, "/page.asp"});
    ASSERT_TRUE(std::holds_alternative<CompiledPagePtr>(prepared)) << text;
    PageBindings run = context;
    run.writeLiteral = [&](std::string_view utf8) { seen = std::string(utf8); };
    (void)engine.RunPage(*std::get<CompiledPagePtr>(prepared), run);
    EXPECT_EQ(seen, text);
  }
  std::filesystem::remove_all(root);
  ClearPageCache();
}

TEST_F(ScriptEngineTest, LiteralTextUsesTheFastWriter) {
  std::string written;
  context.writeLiteral = [&written](std::string_view text) { written += text; };
  const PageRun run = Run("<p>h\xc3\xa9llo</p><% Response.Write('x'); Response.Write(1) %>");
  EXPECT_EQ(run.result.outcome, ScriptOutcome::Completed);
  EXPECT_EQ(written, "<p>h\xc3\xa9llo</p>x");
  EXPECT_EQ(run.output, "1");  // non-text goes through the component
}

TEST(ErrorPageTest, ShowsEveryFieldEscaped) {
  ScriptError error;
  error.category = "JScript runtime error";
  error.number = kFailStatus;
  error.source = "<b>refused</b>";
  error.description = "a & b";
  error.file = "/x.asp";
  error.line = 12;
  const std::string html = RenderErrorPage(error);
  for (const char* part : {"JScript runtime error", "'800a0007'", "&lt;b&gt;refused&lt;/b&gt;",
                           "a &amp; b", "/x.asp, line 12"}) {
    EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
  }
  EXPECT_EQ(html.find("<b>refused"), std::string::npos) << html;
  EXPECT_NE(RenderTimeoutPage("/a<b>.asp").find("/a&lt;b&gt;.asp"), std::string::npos);
}

}  // namespace
}  // namespace vant::host::pages::testing
