#include "services/json/json_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace larkbay {
namespace {

JsonObject Parsed(std::string_view text) {
  JsonObject o;
  o.Parse(text);
  return o;
}

TEST(JsonObject, NewObjectIsEmptyObject) {
  JsonObject o;
  EXPECT_EQ(o.ToText(), "{}");
  EXPECT_EQ(o.GetText(""), "[object Object]");
  EXPECT_EQ(o.GetCount(""), 0);
}

TEST(JsonObject, GatewayEnvelopeKeepsOrderAndWritesBackslashRaw) {
  JsonObject o;
  EXPECT_TRUE(o.SetValue("path", "Lark-Bay/Tool/Api/search.php"));
  EXPECT_TRUE(o.SetValue("data", R"(C:\dir\new)"));
  EXPECT_TRUE(o.SetValue("check", "1"));
  EXPECT_EQ(o.ToText(),
            R"({"path":"Lark-Bay/Tool/Api/search.php","data":"C:\dir\new","check":"1"})");
  EXPECT_EQ(o.GetText("data"), R"(C:\dir\new)");
  EXPECT_EQ(o.GetText("data", true), R"("C:\dir\new")");
}

TEST(JsonObject, SetValueStoresQuotesAndLineBreaksUnchanged) {
  JsonObject o;
  const std::string value = "a\"b'c\r\nd";
  EXPECT_TRUE(o.SetValue("v", value));
  EXPECT_EQ(o.GetText("v"), value);
  EXPECT_EQ(o.ToText(), R"({"v":"a\"b'c\r\nd"})");
}

TEST(JsonObject, SetValueTargets) {
  struct Case {
    const char* doc;
    const char* path;
    bool result;
    const char* after;
  };
  const Case cases[] = {
      {R"({"a":1,"b":2})", "a", true, R"({"a":"x","b":2})"},  // keeps its place
      {R"({"a":1})", "data", true, R"({"a":1,"data":"x"})"},  // "data" is da.data
      {R"({"x":1})", "da.x", true, R"({"x":"x"})"},           // exists: taken as written
      {R"({"da":{}})", "da.y", true, R"({"da":{"y":"x"}})"},  // missing: read as da.da.y
      {R"({"da":{}})", "da.da.y", false, R"({"da":{}})"},     // da.da.da.y
      {"{}", "da.y", false, "{}"},                            // da.da undefined
      {"{}", "a.b", false, "{}"},                             // missing intermediate
      {R"({"a":{}})", "a.b", true, R"({"a":{"b":"x"}})"},
      {R"(["a","b"])", "[0]", true, R"(["x","b"])"},
      {R"(["a","b"])", "da[1]", true, R"(["a","x"])"},
      {R"({"List":["a"]})", "List[3]", true, R"({"List":["a",null,null,"x"]})"},
      {R"({"List":[]})", "List[\"1\"]", true, R"({"List":[null,"x"]})"},
      {R"({"s":"abc"})", "s.t", true, R"({"s":"abc"})"},  // silently ignored
      {R"({"n":5})", "n[0]", true, R"({"n":5})"},
      {R"({"z":null})", "z.t", false, R"({"z":null})"},
      {"[]", "[100000000]", false, "[]"},  // no giant run of holes
      {"{}", "a b", false, "{}"},
      {"{}", "class", false, "{}"},  // a reserved word after "."
      {"{}", "[\"class\"]", true, R"({"class":"x"})"},
      {"{}", "[7]", true, R"({"7":"x"})"},
      {"{}", "", true, R"("x")"},  // the document itself
      {"null", "a", false, "null"},
      {"null", "", true, R"("x")"},
      {"", "a", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.doc) + " / " + c.path);
    JsonObject o = Parsed(c.doc);
    EXPECT_EQ(o.SetValue(c.path, "x"), c.result);
    EXPECT_EQ(o.ToText(), c.after);
  }
}

TEST(JsonObject, SetValueCleansTheCallersText) {
  JsonObject o;
  EXPECT_TRUE(o.SetValue("a", std::string_view("ok\0lost", 7)));
  EXPECT_TRUE(o.SetValue("b",
                         "\xFF"
                         "x"));
  EXPECT_EQ(o.GetText("a"), "ok");
  EXPECT_EQ(o.GetText("b"),
            "\xEF\xBF\xBD"
            "x");
  EXPECT_EQ(o.ToText(), R"({"a":"ok","b":"\ufffdx"})");
}

TEST(JsonObject, PathsResolveAsTheEngineDid) {
  const JsonObject o =
      Parsed(R"({"List":[{"SongID":7,"Name":"歌"},{"SongID":8}],"data":"d","da":{"x":"inner"},)"
             R"("x":"outer","n":null,"s":"a😀c","class":"c","0":"zero","dax":"dx"})");
  struct Case {
    const char* path;
    const char* plain;
    const char* json;
  };
  const Case cases[] = {
      {"List[0].SongID", "7", "7"},
      {"List [1] . SongID", "8", "8"},
      {"List[0]['Name']", "歌", "\"歌\""},
      {"List[0][\"Name\"]", "歌", "\"歌\""},
      {"List", "[object Object],[object Object]", R"([{"SongID":7,"Name":"歌"},{"SongID":8}])"},
      {"List.length", "2", "2"},
      {"List[01].SongID", "8", "8"},
      {"List[2]", "", ""},
      {"List[2].SongID", "", ""},
      {"data", "d", "\"d\""},
      {"dax", "dx", "\"dx\""},
      {"da.x", "outer", "\"outer\""},
      {"da.da.x", "inner", "\"inner\""},
      {"n", "", "null"},
      {"da.n", "", ""},  // null as written, so read as da.da.n
      {"s.length", "4", "4"},
      {"s[1]", "\xEF\xBF\xBD", "\"\\ufffd\""},  // half of a surrogate pair
      {"s[3]", "c", "\"c\""},
      {"[0]", "zero", "\"zero\""},
      {"class", "", ""},
      {"[\"class\"]", "c", "\"c\""},
      {"missing", "", ""},
      {"missing.x", "", ""},
      {"0", "", ""},
      {"x.", "", ""},
      {".x", "", ""},
      {"List[", "", ""},
      {"List[0", "", ""},
      {"List[a]", "", ""},
      {"List[-1]", "", ""},
      {"List[0]x", "", ""},
      {"a b", "", ""},
      {" ", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(o.GetText(c.path), c.plain);
    EXPECT_EQ(o.GetText(c.path, true), c.json);
  }
  EXPECT_EQ(o.GetText("da", true), o.ToText());  // "da" is the root itself
  EXPECT_EQ(o.GetText("", true), o.ToText());
}

TEST(JsonObject, RootArrayPaths) {
  const JsonObject o = Parsed(R"(["a","b"])");
  EXPECT_EQ(o.GetText(""), "a,b");
  EXPECT_EQ(o.GetText("[1]"), "b");
  EXPECT_EQ(o.GetText("da[0]"), "a");
  EXPECT_EQ(o.GetText("length"), "2");
  EXPECT_EQ(o.GetCount(""), 2);
  EXPECT_EQ(o.GetItemText(1, ""), "b");
}

TEST(JsonObject, PlainTextForms) {
  const JsonObject o =
      Parsed(R"({"a":[1,null,[2,[3,"x"]],{"k":1},true,"s",1.5],"t":true,"f":false,"o":{},"e":[]})");
  EXPECT_EQ(o.GetText("a"), "1,,2,3,x,[object Object],true,s,1.5");
  EXPECT_EQ(o.GetText("t"), "true");
  EXPECT_EQ(o.GetText("f"), "false");
  EXPECT_EQ(o.GetText("o"), "[object Object]");
  EXPECT_EQ(o.GetText("e"), "");
  EXPECT_EQ(o.GetText("e", true), "[]");
}

TEST(JsonObject, SearchAnswerWalk) {
  const JsonObject answer =
      Parsed(R"({"Page":"1","ListCount":1,"List":[{"SongID":7,"SongName":"\u7a3b\u9999"}]})");
  EXPECT_EQ(answer.GetText("List", true), R"([{"SongID":7,"SongName":"稻香"}])");
  JsonObject list;
  EXPECT_TRUE(list.Parse(answer.GetText("List", true)));
  EXPECT_EQ(list.GetCount(""), 1);
  const JsonObject song = list.GetItemObject(0, "");
  EXPECT_EQ(song.GetText("SongID"), "7");
  EXPECT_EQ(song.GetText("SongName"), "稻香");
  EXPECT_EQ(answer.GetItemObject(0, "List").GetText("SongID"), "7");
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(answer.GetNames(names, ""), 3);
  EXPECT_EQ(names, (std::vector<std::string>{"Page", "ListCount", "List"}));
}

TEST(JsonObject, GetNames) {
  struct Case {
    const char* doc;
    const char* path;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {R"({"List":[{"b":1,"a":2,"10":3,"2":4}]})", "List[0]", {"b", "a", "10", "2"}},
      {R"({"List":[]})", "", {"List"}},
      {"{}", "", {}},
      {"[1,2]", "", {}},
      {R"({"s":"x"})", "s", {}},
      {R"({"a":1})", "missing", {}},
      {R"({"":1})", "", {}},  // the one empty name joins to an empty text
      {R"({"":1,"a":2})", "", {"", "a"}},
      {R"({"a\r\nb":1})", "", {"a", "b"}},
      {R"({"a\u2400":1})", "", {"a\xE2\x90\x80"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.doc);
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(Parsed(c.doc).GetNames(names, c.path), static_cast<int>(c.names.size()));
    EXPECT_EQ(names, c.names);
  }
}

TEST(JsonObject, GetCountOnlyCountsArrays) {
  const JsonObject o = Parsed(R"({"a":[1,2,3],"o":{"x":1},"s":"abc","n":null})");
  EXPECT_EQ(o.GetCount("a"), 3);
  EXPECT_EQ(o.GetCount("o"), 0);
  EXPECT_EQ(o.GetCount("s"), 0);
  EXPECT_EQ(o.GetCount("n"), 0);
  EXPECT_EQ(o.GetCount("missing"), 0);
  EXPECT_EQ(o.GetCount(""), 0);
}

TEST(JsonObject, GetItemText) {
  const JsonObject o = Parsed(R"(["x",5,null,["y"],"a\u2400b"])");
  struct Case {
    int index;
    const char* plain;
    const char* json;
  };
  const Case cases[] = {
      {0, "x", "\"x\""},       {1, "", "5"}, {2, "", "null"}, {3, "", "[\"y\"]"},
      {4, "a\\b", "\"a\\b\""}, {5, "", ""},  {-1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(o.GetItemText(c.index, ""), c.plain);
    EXPECT_EQ(o.GetItemText(c.index, "", true), c.json);
  }
  EXPECT_EQ(Parsed(R"({"k":["v"]})").GetItemText(0, "k"), "v");
  EXPECT_EQ(Parsed(R"({"k":{"0":"v"}})").GetItemText(0, "k"), "v");
}

// GetItemObject answers what writing the element as text and parsing that
// text would give.
TEST(JsonObject, GetItemObjectIsTheElementReparsed) {
  const JsonObject o = Parsed(
      R"([{"a":[1,2]},"123","abc","","[4]",null,7,[1e400,-0],"\"q\"","  ",{"k":"\u2400n"}])");
  struct Case {
    int index;
    const char* text;
  };
  const Case cases[] = {
      {0, R"({"a":[1,2]})"},
      {1, "123"},   // a string element is evaluated once more
      {2, "null"},  // ...and a name that does not exist is an error
      {3, ""},      // ...and an empty program gives undefined
      {4, "[4]"},
      {5, "null"},
      {6, "7"},
      {7, "[null,0]"},
      {8, "\"q\""},
      {9, ""},
      {10, R"({"k":"\n"})"},  // the mark comes out as "\" and reads back as an escape
      {11, ""},               // past the end
      {-1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(o.GetItemObject(c.index, "").ToText(), c.text);
  }
  const JsonObject past = o.GetItemObject(11, "");
  EXPECT_EQ(past.GetText(""), "");
  EXPECT_EQ(past.GetText("", true), "");
  EXPECT_EQ(past.GetText("a"), "");
  EXPECT_EQ(past.GetCount(""), 0);
  EXPECT_EQ(Parsed("{}").GetItemObject(0, "missing").ToText(), "");
}

TEST(JsonObject, GetItemObjectCarriesSetBackslashesAsTheEngineDid) {
  JsonObject o = Parsed(R"({"List":[{"p":""}]})");
  ASSERT_TRUE(o.SetValue("List[0].p", R"(C:\dir)"));
  EXPECT_EQ(o.GetItemObject(0, "List").GetText("p"), "C:dir");  // "\d" read as "d"
  ASSERT_TRUE(o.SetValue("List[0].p", R"(x\)"));
  EXPECT_EQ(o.GetItemObject(0, "List").ToText(), "null");  // "\" swallowed the quote
  EXPECT_EQ(o.GetItemText(0, "List", true), R"({"p":"x\"})");
}

TEST(JsonObject, GetItemObjectIsACopy) {
  JsonObject o = Parsed(R"([{"a":"1"}])");
  JsonObject item = o.GetItemObject(0, "");
  EXPECT_TRUE(item.SetValue("a", "2"));
  EXPECT_EQ(o.ToText(), R"([{"a":"1"}])");
  EXPECT_EQ(item.ToText(), R"({"a":"2"})");
}

TEST(JsonObject, CopiesShareTheDocumentUntilParse) {
  JsonObject a;
  JsonObject b = a;
  EXPECT_TRUE(b.SetValue("x", "1"));
  EXPECT_EQ(a.ToText(), R"({"x":"1"})");
  EXPECT_TRUE(b.SetValue("", "doc"));
  EXPECT_EQ(a.ToText(), "\"doc\"");
  a.Clear();
  EXPECT_EQ(b.ToText(), "{}");
  EXPECT_TRUE(b.Parse("[1]"));  // a fresh document for b alone
  EXPECT_EQ(a.ToText(), "{}");
  JsonObject moved = std::move(b);
  EXPECT_EQ(moved.ToText(), "[1]");
}

TEST(JsonObject, ClearGivesEmptyObject) {
  JsonObject o = Parsed("[1,2]");
  o.Clear();
  EXPECT_EQ(o.ToText(), "{}");
  JsonObject failed = Parsed("[");
  failed.Clear();
  EXPECT_EQ(failed.ToText(), "{}");
}

TEST(JsonObject, SetValueJsonFormStoresTheParsedValue) {
  JsonObject o;
  EXPECT_TRUE(o.SetValue("a", R"({"b":[1,"\\"]})", true));
  EXPECT_EQ(o.ToText(), R"({"a":{"b":[1,"\\"]}})");
  EXPECT_FALSE(o.SetValue("c", "{", true));
  EXPECT_EQ(o.GetText("a.b[1]"), "\\");
}

}  // namespace
}  // namespace larkbay
