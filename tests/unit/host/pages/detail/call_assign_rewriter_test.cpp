#include "host/pages/detail/call_assign_rewriter.h"

#include <gtest/gtest.h>

#include <string>

#include "../page_test_support.h"
#include "host/pages/call_result_helpers.h"
#include "host/pages/detail/line_breaks.h"

namespace vant::host::pages::detail {
namespace {

struct RewriteCase {
  const char* code;
  const char* expected;  // nullptr: unchanged
};

TEST(CallAssignRewriterTest, RewriteTable) {
  const RewriteCase cases[] = {
      // Rewritten.
      {R"(Session("x") = 1;)", R"(__vantPut(Session, null, ["x"], 1);)"},
      {R"(Response.Cookies("a") = "abc";)", R"(__vantPut(Response, "Cookies", ["a"], "abc");)"},
      {R"(Response.Cookies("a")("b") = v;)",
       R"(__vantPut(Response.Cookies("a"), null, ["b"], v);)"},
      {"f(1)(2) = 3", "__vantPut(f(1), null, [2], 3)"},
      {"obj[key](1, 2) = 3", "__vantPut(obj, key, [1, 2], 3)"},
      {"a.b.c(x).d(y) = z", "__vantPut(a.b.c(x), \"d\", [y], z)"},
      {"f() = 1", "__vantPut(f, null, [], 1)"},
      {"(g)(1) = 2", "__vantPut((g), null, [1], 2)"},
      {R"(Session("x") += 1;)", R"(__vantUpdate(Session, null, ["x"], "+=", 1);)"},
      {"f(a) >>>= 2", "__vantUpdate(f, null, [a], \">>>=\", 2)"},
      {R"(++Application("n");)", R"(__vantUpdate(Application, null, ["n"], "++x");)"},
      {"--f(a)", "__vantUpdate(f, null, [a], \"--x\")"},
      {R"(Application("n")++;)", R"(__vantUpdate(Application, null, ["n"], "x++");)"},
      {"x = f(y)--", "x = __vantUpdate(f, null, [y], \"x--\")"},
      {"if (f(x) = 1) g()", "if (__vantPut(f, null, [x], 1)) g()"},
      {"a = f(x) = b ? c : d, e", "a = __vantPut(f, null, [x], b ? c : d), e"},
      {"f(1) = g(2) = 3", "__vantPut(f, null, [1], __vantPut(g, null, [2], 3))"},
      {"f(g(1) = 2) = 3", "__vantPut(f, null, [__vantPut(g, null, [1], 2)], 3)"},
      {"S(\"a\") = ++A(\"n\")",
       "__vantPut(S, null, [\"a\"], __vantUpdate(A, null, [\"n\"], \"++x\"))"},
      {"f(x) = function () { return 1; }\ng()",
       "__vantPut(f, null, [x], function () { return 1; })\ng()"},
      {"f(x) = {a: 1, b: [2, 3]}; y = 1", "__vantPut(f, null, [x], {a: 1, b: [2, 3]}); y = 1"},
      {"f(x) = a\n  + b\nc()", "__vantPut(f, null, [x], a\n  + b)\nc()"},
      {"for (i = 0; i < 2; i++) S(i) = i;", "for (i = 0; i < 2; i++) __vantPut(S, null, [i], i);"},
      {"if (a) (b)(c) = 1", "if (a) __vantPut((b), null, [c], 1)"},
      {"x = {k: f(1) = 2}", "x = {k: __vantPut(f, null, [1], 2)}"},
      {"f(x) /= 2", "__vantUpdate(f, null, [x], \"/=\", 2)"},
      {"Session(\"re\") = /a=b/g", "__vantPut(Session, null, [\"re\"], /a=b/g)"},
      // Left alone.
      {"a == f(x)", nullptr},
      {"f(x) == 1; f(x) === 1; f(x) != 1; f(x) <= 1; f(x) >= 1", nullptr},
      {"x = f(y)", nullptr},
      {"obj.f(1).g = 2", nullptr},
      {"a[f(1)] = 2", nullptr},
      {"s = \"f(x) = 1\"", nullptr},
      {"s = 'f(x) = 1'", nullptr},
      {"// f(x) = 1", nullptr},
      {"/* f(x) = 1 */", nullptr},
      {"r = /f(x) = 1/", nullptr},
      {"var f = function (x) { return x; }", nullptr},
      {"function f(x) { x = 1; }", nullptr},
      {"new Foo(x) = 1", nullptr},
      {"f(x) =", nullptr},
      {"a++ + f(x)", nullptr},
      {"f(x)\n++y", nullptr},
  };
  for (const auto& c : cases) {
    const std::string expected = c.expected ? c.expected : c.code;
    EXPECT_EQ(RewriteCallAssignments(c.code), expected) << "code: " << c.code;
  }
}

TEST(CallAssignRewriterTest, KeepsEveryLineBreak) {
  const char* cases[] = {
      "Session(\n\"x\"\n) =\n1",
      "Response\n.Cookies(\"a\")\n(\"b\") = 1",
      "Response.\n// note\nCookies(\"a\") = 1",
      "++\nf(x)",
      "f(x) /* a\nb */ += 2",
      "obj[\nk\n](1) = 2",
  };
  for (const char* code : cases) {
    const std::string rewritten = RewriteCallAssignments(code);
    EXPECT_NE(rewritten, code) << "not rewritten: " << code;
    EXPECT_EQ(CountLineBreaks(rewritten), CountLineBreaks(code))
        << "code: " << code << "\nrewritten: " << rewritten;
  }
}

TEST(CallAssignRewriterTest, HostileNestingNeitherCrashesNorLoses) {
  std::string code;
  for (int i = 0; i < 5000; ++i) code += "f(";
  code += "1";
  for (int i = 0; i < 5000; ++i) code += ") = 1";
  const std::string rewritten = RewriteCallAssignments(code);
  EXPECT_NE(rewritten.find("__vantPut("), std::string::npos);
  const std::string unbalanced(20000, '(');
  EXPECT_EQ(RewriteCallAssignments(unbalanced), unbalanced);
}

// Runs rewritten code against recording stores: every read and write goes
// through __vantGet / __vantPut, and __vantUpdate comes from the prelude.
class RewrittenCodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runner_.Define(std::string(kCallResultPrelude));
    runner_.Define(R"js(
      var log = [];
      function Store(name) {
        var data = {};
        var self = function () { return self.get(null, [].slice.call(arguments)); };
        self.get = function (m, a) { return data[(m || "") + "(" + a.join(",") + ")"]; };
        self.put = function (m, a, v) { data[(m || "") + "(" + a.join(",") + ")"] = v; };
        self.toString = function () { return name; };
        return self;
      }
      function __vantGet(t, m, a) { log.push("get " + t + " " + m + " " + a); return t.get(m, a); }
      function __vantPut(t, m, a, v) { log.push("put " + t + " " + m + " " + a + " " + v); t.put(m, a, v); return v; }
      var Session = Store("Session"), Application = Store("Application");
      var cookie = Store("cookie");
      var Response = { Cookies: function (n) { return cookie; }, toString: function () { return "Response"; },
                       get: function (m, a) { return cookie.get(null, a); },
                       put: function (m, a, v) { log.push("(Response." + m + ")"); cookie.put(null, a, v); } };
      var calls = 0;
      function key() { ++calls; return "k"; }
    )js");
  }

  std::string Run(const std::string& code, const std::string& result) {
    runner_.Define(RewriteCallAssignments(code));
    return runner_.Eval(result);
  }

  testing::ScriptRunner runner_;
};

struct SemanticCase {
  const char* code;
  const char* result;    // expression evaluated afterwards
  const char* expected;  // its string value
};

TEST_F(RewrittenCodeTest, SemanticsTable) {
  const SemanticCase cases[] = {
      {"var r = (Session('x') = 5);", "[r, Session('x')]", "5,5"},
      {"Application('n') = 1; var r = ++Application('n');", "[r, Application('n')]", "2,2"},
      {"Application('n') = 1; var r = Application('n')++;", "[r, Application('n')]", "1,2"},
      {"Application('n') = '7'; var r = Application('n')--;", "[typeof r, r, Application('n')]",
       "number,7,6"},
      {"Session('s') = 'a'; Session('s') += 'b';", "Session('s')", "ab"},
      {"Session('n') = 6; Session('n') *= 7;", "Session('n')", "42"},
      {"Session('n') = 1; Session('n') <<= 4;", "Session('n')", "16"},
      {"Session(key()) += 1;", "[calls, Session('k')]", "1,NaN"},
      {"Response.Cookies('a') = 'v';", "log.join('|')",
       "put Response Cookies a v|(Response.Cookies)"},
      {"Response.Cookies('a')('b') = 'w';", "[log.join('|'), cookie('b')]",
       "put cookie null b w,w"},
      {"Session('a') = Session('b') = 3;", "[Session('a'), Session('b')]", "3,3"},
  };
  for (const auto& c : cases) {
    SetUp();  // fresh stores and log per row
    EXPECT_EQ(Run(c.code, c.result), c.expected) << "code: " << c.code;
  }
}

}  // namespace
}  // namespace vant::host::pages::detail
