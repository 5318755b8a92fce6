// The serialiser's escapes and the number forms, as the script engine wrote them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

std::string Utf8(char32_t cp) {
  std::string out;
  AppendUtf8(out, cp);
  return out;
}

// Each code point goes in through a \u escape (pairs for the ones above
// U+FFFF) and comes out of the serialiser either escaped or raw.
TEST(JsonTextForms, StringEscapes) {
  struct Case {
    char32_t cp;
    const char* escaped;  // nullptr: written raw
  };
  const Case cases[] = {
      {0x00, "\\u0000"},   {0x08, "\\b"},       {0x09, "\\t"},       {0x0A, "\\n"},
      {0x0B, "\\u000b"},   {0x0C, "\\f"},       {0x0D, "\\r"},       {0x1F, "\\u001f"},
      {0x20, nullptr},     {0x22, "\\\""},      {0x27, nullptr},     {0x2F, nullptr},
      {0x5C, "\\\\"},      {0x7E, nullptr},     {0x7F, "\\u007f"},   {0x80, "\\u0080"},
      {0x9F, "\\u009f"},   {0xA0, nullptr},     {0xAC, nullptr},     {0xAD, "\\u00ad"},
      {0xAE, nullptr},     {0x5FF, nullptr},    {0x600, "\\u0600"},  {0x604, "\\u0604"},
      {0x605, nullptr},    {0x70E, nullptr},    {0x70F, "\\u070f"},  {0x710, nullptr},
      {0x17B3, nullptr},   {0x17B4, "\\u17b4"}, {0x17B5, "\\u17b5"}, {0x17B6, nullptr},
      {0x200B, nullptr},   {0x200C, "\\u200c"}, {0x200F, "\\u200f"}, {0x2010, nullptr},
      {0x2027, nullptr},   {0x2028, "\\u2028"}, {0x202F, "\\u202f"}, {0x2030, nullptr},
      {0x205F, nullptr},   {0x2060, "\\u2060"}, {0x206F, "\\u206f"}, {0x2070, nullptr},
      {0x2400, "\\"},      {0x4E2D, nullptr},   {0xFEFE, nullptr},   {0xFEFF, "\\ufeff"},
      {0xFF00, nullptr},   {0xFFEF, nullptr},   {0xFFF0, "\\ufff0"}, {0xFFFD, "\\ufffd"},
      {0xFFFF, "\\uffff"}, {0x1F600, nullptr},
  };
  for (const Case& c : cases) {
    char input[32];
    if (c.cp > 0xFFFF) {
      const char32_t v = c.cp - 0x10000;
      std::snprintf(input, sizeof input, "[\"\\u%04X\\u%04X\"]",
                    static_cast<unsigned>(0xD800 + (v >> 10)),
                    static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
    } else {
      std::snprintf(input, sizeof input, "[\"\\u%04X\"]", static_cast<unsigned>(c.cp));
    }
    SCOPED_TRACE(input);
    JsonObject o;
    ASSERT_TRUE(o.Parse(input));
    const std::string inner = c.escaped ? c.escaped : Utf8(c.cp);
    EXPECT_EQ(o.ToText(), "[\"" + inner + "\"]");
    EXPECT_EQ(o.GetItemText(0, "", true), "\"" + inner + "\"");
  }
}

TEST(JsonTextForms, MemberNamesAreEscapedLikeValues) {
  JsonObject o;
  ASSERT_TRUE(o.Parse(R"({"a\"b\u0001\u2028":1})"));
  EXPECT_EQ(o.ToText(), R"({"a\"b\u0001\u2028":1})");
}

TEST(JsonTextForms, Numbers) {
  struct Case {
    const char* literal;
    const char* plain;
    const char* json;
  };
  const Case cases[] = {
      {"1", "1", "1"},
      {"1.5", "1.5", "1.5"},
      {"-12.5", "-12.5", "-12.5"},
      {"-0", "0", "0"},
      {"0.1", "0.1", "0.1"},
      {"123e-2", "1.23", "1.23"},
      {"1E2", "100", "100"},
      {"0.30000000000000004", "0.30000000000000004", "0.30000000000000004"},
      {"1e20", "100000000000000000000", "100000000000000000000"},
      {"1e21", "1e+21", "1e+21"},
      {"1.5e21", "1.5e+21", "1.5e+21"},
      {"123456789012345678901234", "1.2345678901234569e+23", "1.2345678901234569e+23"},
      {"0.000001", "0.000001", "0.000001"},
      {"0.0000012345", "0.0000012345", "0.0000012345"},
      {"1e-7", "1e-7", "1e-7"},
      {"1.5e-7", "1.5e-7", "1.5e-7"},
      {"9007199254740993", "9007199254740992", "9007199254740992"},  // 2^53 + 1
      {"12345678901234567890", "12345678901234567000", "12345678901234567000"},
      {"1.7976931348623157e308", "1.7976931348623157e+308", "1.7976931348623157e+308"},
      {"5e-324", "5e-324", "5e-324"},
      {"1e400", "Infinity", "null"},
      {"-1e400", "-Infinity", "null"},
      {"1e-400", "0", "0"},
      {"-1e-400", "0", "0"},
      {"1e99999999999999999999", "Infinity", "null"},
      {"0.00000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "000000000000000000000000000000000000000000000000000000000000000000000000000000000001",
       "0", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.literal);
    JsonObject o;
    ASSERT_TRUE(o.Parse(std::string("[") + c.literal + "]"));
    EXPECT_EQ(o.GetText("[0]"), c.plain);
    EXPECT_EQ(o.GetText("[0]", true), c.json);
    EXPECT_EQ(o.ToText(), std::string("[") + c.json + "]");
  }
  JsonObject bare;
  EXPECT_TRUE(bare.Parse(std::string(400, '9')));
  EXPECT_EQ(bare.GetText(""), "Infinity");  // 400 nines
}

}  // namespace
}  // namespace larkbay
