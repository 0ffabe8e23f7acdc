#include "host/pages/detail/member_call_rewriter.h"

#include <gtest/gtest.h>

#include <string>

#include "host/pages/detail/line_breaks.h"

namespace vant::host::pages::detail {
namespace {

struct RewriteCase {
  const char* code;
  const char* expected;  // nullptr: unchanged
};

TEST(MemberCallRewriterTest, RewriteTable) {
  const RewriteCase cases[] = {
      // Rewritten: the target is the whole member expression before the call.
      {R"(Request.Form.Item("f"))", R"(__vantCall(Request.Form, "Item", "f"))"},
      {"x = up.Form.item(1).Name;", "x = __vantCall(up.Form, \"item\", 1).Name;"},
      {"a.Item(1).Item(2)", "__vantCall(__vantCall(a, \"Item\", 1), \"Item\", 2)"},
      {"rs.Fields.Item(g.ITEM(1))", "__vantCall(rs.Fields, \"Item\", __vantCall(g, \"ITEM\", 1))"},
      {"Response.IsClientConnected()", "__vantCall(Response, \"IsClientConnected\")"},
      {"Response.Charset(\"utf-8\")", "__vantCall(Response, \"Charset\", \"utf-8\")"},
      {"Request.QueryString(\"d\") + Request.form(k).Count",
       "__vantCall(Request, \"QueryString\", \"d\") + __vantCall(Request, \"form\", k).Count"},
      {"f(x)[k].Item(1)", "__vantCall(f(x)[k], \"Item\", 1)"},
      {"(a || b).Item(1)", "__vantCall((a || b), \"Item\", 1)"},
      {"if (ok) this.Init()", "if (ok) __vantCall(this, \"Init\")"},
      {"return [a].Item(0)", "return __vantCall([a], \"Item\", 0)"},
      {"a\n.Item(\n1\n)", "__vantCall(a\n, \"Item\", \n1\n)"},
      // Left alone.
      {"s.toLowerCase(); d.getTime()", nullptr},
      {"Response.Write(x); rs.Move(1)", nullptr},
      {"v = x.Item; x.Item = 1", nullptr},
      {"new a.B().Item(1)", nullptr},
      {"s = 'a.Item(1)' // b.Item(2)", nullptr},
      {"Item(1)", nullptr},
  };
  for (const auto& c : cases) {
    const std::string expected = c.expected ? c.expected : c.code;
    const std::string rewritten = RewriteMemberCalls(c.code);
    EXPECT_EQ(rewritten, expected) << "code: " << c.code;
    EXPECT_EQ(CountLineBreaks(rewritten), CountLineBreaks(c.code)) << "code: " << c.code;
  }
}

// A long chain is walked back once, not once per call in it.
TEST(MemberCallRewriterTest, LongChainsAndHostileBrackets) {
  std::string chain = "a";
  for (int i = 0; i < 20000; ++i) chain += ".Item(1)";
  std::string innermost;
  for (int i = 0; i < 20000; ++i) innermost += "__vantCall(";
  innermost += "a, \"Item\", 1)";
  EXPECT_TRUE(RewriteMemberCalls(chain).starts_with(innermost));
  const std::string unbalanced = "a.Item(" + std::string(20000, '(');
  EXPECT_EQ(RewriteMemberCalls(unbalanced), unbalanced);
}

}  // namespace
}  // namespace vant::host::pages::detail
