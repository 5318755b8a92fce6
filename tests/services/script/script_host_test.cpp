#include "services/script/script_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace larkbay {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kFunctions = R"js(
function join() {
  return arguments.length + ":" + Array.prototype.join.call(arguments, "|");
}
function echo(s) { return s; }
function lengthOf(s) { return s.length; }
function value(kind) {
  switch (kind) {
    case "number": return 1.5;
    case "big": return 1e21;
    case "integer": return 100;
    case "bool": return true;
    case "null": return null;
    case "object": return {a: 1};
    case "array": return [1, "b"];
    case "pair": return JSON.parse('"\ud83d\ude00"');
    case "lone": return "a\ud800b";
    case "throw": throw new Error("bad");
    case "throwText": throw "text";
    case "badString": return {toString: function () { throw 1; }};
  }
}
var notAFunction = 1;
)js";

TEST(ScriptHost, RunPassesOnlyTheGivenArguments) {
  ScriptHost host;
  ASSERT_TRUE(host.ExecuteStatement(kFunctions));
  EXPECT_EQ(host.Run("join"), "0:");
  EXPECT_EQ(host.Run("join", "a"), "1:a");
  EXPECT_EQ(host.Run("join", "a", ""), "2:a|");
  EXPECT_EQ(host.Run("join", "1", "2", "3"), "3:1|2|3");
  EXPECT_EQ(host.Run("join", "1", "2", "3", "4"), "4:1|2|3|4");
  EXPECT_EQ(host.Run("join", "1", "2", "3", "4", "5"), "5:1|2|3|4|5");
  EXPECT_EQ(host.Run("join", "1", "2", "3", "4", "5", std::string("6")), "6:1|2|3|4|5|6");
}

TEST(ScriptHost, ReturnValuesAsText) {
  ScriptHost host;
  ASSERT_TRUE(host.ExecuteStatement(kFunctions));
  const struct {
    const char* kind;
    const char* expected;
  } cases[] = {
      {"number", "1.5"},
      {"big", "1e+21"},
      {"integer", "100"},
      {"bool", "true"},
      {"undefined", ""},
      {"null", ""},
      {"object", "[object Object]"},
      {"array", "1,b"},
      {"pair", "😀"},
      {"lone",
       "a\xef\xbf\xbd"
       "b"},
      {"throw", ""},
      {"throwText", ""},
      {"badString", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(host.Run("value", c.kind), c.expected);
  }
}

TEST(ScriptHost, TextsCrossAsUtf8) {
  ScriptHost host;
  ASSERT_TRUE(host.ExecuteStatement(kFunctions));
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(host.Run("echo", "中文 DJ 舞曲"), "中文 DJ 舞曲");
  EXPECT_EQ(host.Run("echo", "😀x"), "😀x");
  EXPECT_EQ(host.Run("lengthOf", "😀"), "2");  // two UTF-16 units, as scripts count
  EXPECT_EQ(host.Run("echo", withNul), withNul);
  EXPECT_EQ(host.Run("echo", "a\xff\xc3"), "a\xef\xbf\xbd\xef\xbf\xbd");
  ASSERT_TRUE(host.ExecuteStatement("function emoji() { return '🎵' + '\\u4e2d'; }"));
  EXPECT_EQ(host.Run("emoji"), "🎵中");
}

TEST(ScriptHost, ErrorsGiveFalseOrEmpty) {
  ScriptHost host;
  ASSERT_TRUE(host.ExecuteStatement(kFunctions));
  const char* badStatements[] = {
      "function (", "var = 3;", "throw new Error('x');", "throw 'x';", "undefinedName.call();",
      "}",          "\xff\xfe"};
  for (const char* code : badStatements) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(host.ExecuteStatement(code));
  }
  EXPECT_TRUE(host.ExecuteStatement(""));
  EXPECT_EQ(host.Run("neverDeclared", "x"), "");
  EXPECT_EQ(host.Run("notAFunction"), "");
  EXPECT_EQ(host.Run(""), "");
  // Functions of a failed statement are not lost, and the engine goes on.
  EXPECT_EQ(host.Run("echo", "still here"), "still here");
}

TEST(ScriptHost, CopiesShareTheEngine) {
  ScriptHost host;
  ScriptHost copy = host;
  ASSERT_TRUE(copy.ExecuteStatement("function shared() { return 'yes'; }"));
  EXPECT_EQ(host.Run("shared"), "yes");
}

TEST(ScriptHost, EngineThatCannotBeCreated) {
  ScriptHost host(ScriptLimits{.timeBudget = 1s, .memoryLimit = 1024});
  EXPECT_FALSE(host.ExecuteStatement("var a = 1;"));
  EXPECT_EQ(host.Run("a"), "");
}

// Scripts that would never return, or never stop allocating, come back
// within their budget; the engine stays usable afterwards.
TEST(ScriptHost, RunawayScriptsAreStopped) {
  const struct {
    const char* name;
    const char* body;
  } cases[] = {
      {"endless loop", "for (;;) {}"},
      {"loop that swallows the interruption", "for (;;) { try { for (;;) {} } catch (e) {} }"},
      {"loop in finally", "for (;;) { try { for (;;) {} } finally { continue; } }"},
      {"endless recursion", "(function f() { return f() + 1; })();"},
      {"growing array", "var a = []; for (;;) a.push({n: a.length, s: 'x' + a.length});"},
      {"doubling string", "var s = 'x'; for (;;) s = s + s;"},
      {"huge repeat", "return 'x'.repeat(1 << 30);"},
      {"huge array", "var a = new Array(1e8).join('xy');"},
      {"pathological regular expression",
       "return /^(a+)+b$/.test('aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa');"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptHost host(ScriptLimits{.timeBudget = 200ms, .memoryLimit = std::size_t{32} << 20});
    ASSERT_TRUE(host.ExecuteStatement(std::string("function runaway() {") + c.body +
                                      "}\nfunction ok(s) { return 'ok ' + s; }"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host.Run("runaway"), "");
    EXPECT_FALSE(host.ExecuteStatement(std::string("(function () {") + c.body + "})();"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(host.Run("ok", "after"), "ok after");
  }
}

// With time to spare, unbounded allocation ends at the memory cap.
TEST(ScriptHost, UnboundedAllocationFailsAtTheCap) {
  const char* bodies[] = {
      "var a = []; for (;;) a.push({n: a.length, s: 'x' + a.length});",
      "var s = 'x'; for (;;) s = s + s;",
      "return 'x'.repeat(1 << 30).length;",
  };
  ScriptHost host(ScriptLimits{.timeBudget = 60s, .memoryLimit = std::size_t{16} << 20});
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    ASSERT_TRUE(host.ExecuteStatement(std::string("function grow() {") + body + "}"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host.Run("grow"), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  }
  ASSERT_TRUE(
      host.ExecuteStatement("function small() { return new Array(1000).join('ab').length; }"));
  EXPECT_EQ(host.Run("small"), "1998");
}

TEST(ScriptHost, LoopingFinalizerDoesNotHoldUpDestruction) {
  const auto start = std::chrono::steady_clock::now();
  {
    ScriptHost host(ScriptLimits{.timeBudget = 300ms});
    ASSERT_TRUE(host.ExecuteStatement(
        "var o = {}; Duktape.fin(o, function () { for (;;) {} }); var keep = o;"));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace larkbay
