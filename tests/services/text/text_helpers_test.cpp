#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

const std::string kZhong = "\xE4\xB8\xAD";  // 中

TEST(Md5Hex, FollowsRfc1321) {
  EXPECT_EQ(Md5Hex("", false), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("abc", false), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("abc", true), "900150983CD24FB0D6963F7D28E17F72");
  // Bytes after a NUL are hashed too.
  EXPECT_EQ(Md5Hex(std::string("a\0b", 3), false), "70350f6027bce3713f6b76473084309b");
  EXPECT_NE(Md5Hex(std::string("a\0b", 3), false), Md5Hex("a", false));
}

TEST(Sha256Hex, FollowsFips180) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Encoding, Utf8AndUtf16RoundTrip) {
  EXPECT_EQ(TextToUtf8(kZhong).size(), 3u);
  EXPECT_EQ(Utf8ToText(TextToUtf8(kZhong)), kZhong);
  EXPECT_EQ(TextToUtf16("", false), "");
  EXPECT_EQ(TextToUtf16("A", false), std::string("A\0\0\0", 4));
  EXPECT_EQ(TextToUtf16("A", true), std::string("A\0", 2));
  EXPECT_EQ(TextToUtf16(kZhong, true), std::string("\x2D\x4E", 2));
  const std::string emoji = "\xF0\x9F\x8E\xB5";  // U+1F3B5, a surrogate pair in UTF-16
  EXPECT_EQ(TextToUtf16(emoji, true), std::string("\x3C\xD8\xB5\xDF", 4));
  EXPECT_EQ(Utf16ToText(TextToUtf16("a" + kZhong + emoji, false)), "a" + kZhong + emoji);
}

TEST(Encoding, TextEndsAtItsFirstNul) {
  EXPECT_EQ(TextToUtf8(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(Utf8ToText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(Utf16ToText(std::string("a\0\0\0b\0", 6)), "a");
}

TEST(Encoding, BadInputBecomesReplacementCharacters) {
  const std::string fffd = "\xEF\xBF\xBD";
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"\xE4\xB8", fffd + fffd},            // cut three-byte sequence
      {"a\xFF" "b", "a" + fffd + "b"},      // never valid byte
      {"\xC0\xAF", fffd + fffd},            // overlong
      {"\xED\xA0\x80", fffd + fffd + fffd}, // encoded surrogate
      {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // beyond U+10FFFF
      {fffd, fffd},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToText(c.in), c.out);
    // The same bytes declared under a UTF-8 name only iconv knows.
    std::string out;
    ASSERT_TRUE(CharsetToText(c.in, "ISO-10646/UTF8/", out));
    EXPECT_EQ(out, c.out);
  }
  EXPECT_EQ(Utf16ToText(std::string("\x00\xD8", 2)), fffd);        // lone high surrogate
  EXPECT_EQ(Utf16ToText(std::string("\x00\xDC" "A\0", 4)), fffd + "A");
  EXPECT_EQ(Utf16ToText(std::string("A\0B", 3)), "A");            // odd trailing byte
}

TEST(Encoding, Gb18030MatchesGbkForChinese) {
  EXPECT_EQ(TextToGbk(kZhong), "\xD6\xD0");
  EXPECT_EQ(GbkToText("\xD6\xD0"), kZhong);
  EXPECT_EQ(TextToGbk("\xE3\x80\x80"), "\xA1\xA1");  // full-width space
  // Characters GBK lacks survive the round trip instead of being lost.
  const std::string korean = "\xED\x95\x9C";  // 한
  EXPECT_EQ(GbkToText(TextToGbk(korean)), korean);
  EXPECT_EQ(GbkToText(TextToGbk("plain ascii")), "plain ascii");
  // Invalid and cut sequences never fail the whole text.
  EXPECT_EQ(GbkToText("a\xD6"), "a\xEF\xBF\xBD");
  EXPECT_EQ(GbkToText("\xFF\xFF" "b").back(), 'b');
}

TEST(Encoding, CharsetToTextByDeclaredName) {
  std::string out;
  ASSERT_TRUE(CharsetToText("\xD6\xD0", "GBK", out));
  EXPECT_EQ(out, kZhong);
  ASSERT_TRUE(CharsetToText("\xD6\xD0", "gb2312", out));
  EXPECT_EQ(out, kZhong);
  ASSERT_TRUE(CharsetToText("\xA4\xA4", "big5", out));
  EXPECT_EQ(out, kZhong);
  ASSERT_TRUE(CharsetToText(kZhong, "utf-8", out));
  EXPECT_EQ(out, kZhong);
  EXPECT_FALSE(CharsetToText("x", "no-such-charset", out));
  EXPECT_EQ(out, "");
}

TEST(ServerClock, HttpDateToUnixSeconds) {
  struct Case {
    const char* date;
    const char* seconds;
  };
  const Case cases[] = {
      {"Thu, 01 Jan 1970 00:00:10 GMT", "0000000010"},
      {"Sun, 06 Nov 1994 08:49:37 GMT", "0784111777"},
      {"Wed, 09 Dec 2026 21:43:21 GMT", "1796852601"},
      {"Sunday, 06-Nov-94 08:49:37 GMT", "0784111777"},
      {"Sat, 29 Feb 2020 23:59:59 GMT", "1583020799"},
  };
  for (const auto& c : cases) {
    const Utc8Time t = HttpDateToUtc8(c.date);
    EXPECT_TRUE(t.valid) << c.date;
    EXPECT_EQ(UnixSeconds(t), c.seconds) << c.date;
  }
  for (const char* bad : {"", "Date", "Sun, 06 Nov 1994", "Sun, 06 Foo 1994 08:49:37 GMT",
                          "Sun, 99 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 08:49 GMT"}) {
    EXPECT_FALSE(HttpDateToUtc8(bad).valid) << bad;
  }
}

// What the server's Date header says, and what the parser reads back.
TEST(ServerClock, FormatHttpDateWritesRfc1123) {
  struct Case {
    std::int64_t seconds;
    const char* date;
  };
  const Case cases[] = {
      {0, "Thu, 01 Jan 1970 00:00:00 GMT"},
      {784111777, "Sun, 06 Nov 1994 08:49:37 GMT"},
      {1583020799, "Sat, 29 Feb 2020 23:59:59 GMT"},
      {1796852601, "Wed, 09 Dec 2026 21:43:21 GMT"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatHttpDate(c.seconds), c.date);
    EXPECT_EQ(HttpDateToUtc8(c.date).seconds, c.seconds + 8 * 3600) << c.date;
  }
}

TEST(ServerClock, UnixSecondsCountsFromEightOClock) {
  Utc8Time t;
  t.seconds = 8 * 3600 + 10;  // 1970-01-01 08:00:10
  EXPECT_EQ(UnixSeconds(t), "0000000010");
  t.seconds = 8 * 3600 + 12345678901LL;  // more than ten digits: cut to ten
  EXPECT_EQ(UnixSeconds(t), "1234567890");
}

// The local clock is the machine's wall clock: through UnixSeconds it gives the
// Unix time only in a UTC+8 zone, and is off by the zone's distance elsewhere.
TEST(ServerClock, LocalClockIsTheWallClockOfTheZone) {
  const char* saved = std::getenv("TZ");
  const std::string savedZone = saved ? saved : "";
  struct Case {
    const char* zone;  // POSIX form: the offset is west of UTC
    long long utcOffset;
  };
  for (const Case c : {Case{"CST-8", 8 * 3600}, Case{"UTC0", 0}, Case{"EST+5", -5 * 3600},
                       Case{"NPT-5:45", 5 * 3600 + 45 * 60}}) {
    setenv("TZ", c.zone, 1);
    tzset();
    const long long before = std::time(nullptr);
    const Utc8Time now = LocalClockNow();
    const long long after = std::time(nullptr);
    EXPECT_TRUE(now.valid);
    const std::string text = UnixSeconds(now);
    ASSERT_EQ(text.size(), 10u);
    const long long seconds = std::stoll(text);
    EXPECT_GE(seconds, before + c.utcOffset - 8 * 3600) << c.zone;
    EXPECT_LE(seconds, after + c.utcOffset - 8 * 3600) << c.zone;
  }
  if (saved) {
    setenv("TZ", savedZone.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(HeaderValue, FirstLineStartingWithTheNameWins) {
  const std::string block =
      "HTTP/1.1 200 OK\r\nDate: Wed, 09 Dec 2026 21:43:21 GMT\r\nServer: x\r\n"
      "Set-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n";
  EXPECT_EQ(HeaderValue(block, "Date"), "Wed, 09 Dec 2026 21:43:21 GMT");
  EXPECT_EQ(HeaderValue(block, "date"), "");
  EXPECT_EQ(HeaderValue(block, "Set-Cookie"), "a=1");
  EXPECT_EQ(HeaderValue(block, "Missing"), "");
  EXPECT_EQ(HeaderValue("Date-Extra: 1\r\nDate: 2", "Date"), "");  // a line that merely begins with it
  EXPECT_EQ(HeaderValue("X: a X: b", "X"), "b");                   // after the last "X: " of the line
  EXPECT_EQ(HeaderValue("", "Date"), "");
}

TEST(TextSplit, TextBeforeAndBetween) {
  EXPECT_EQ(TextBefore("a/b/c", "/"), "a");
  EXPECT_EQ(TextBefore("a/b/c", "/", -1), "a/b");
  EXPECT_EQ(TextBefore("a/b/c", "|"), "");
  EXPECT_EQ(TextBefore("aXbxc", "x"), "aXb");
  EXPECT_EQ(TextBefore("aXbxc", "x", 0, true), "a");
  EXPECT_EQ(TextBefore("aXbxc", "X", -1, true), "aXb");

  EXPECT_EQ(TextBetween("charset=\"gbk\">", "charset=#引号", "#引号"), "gbk");
  EXPECT_EQ(TextBetween("<a>1</a><a>2</a>", "<a>", "</a>"), "1");
  EXPECT_EQ(TextBetween("<a>1</a><a>2</a>", "<a>", "</a>", 4), "2");
  EXPECT_EQ(TextBetween("<A>1</a>", "<a>", "</a>"), "");
  EXPECT_EQ(TextBetween("<A>1</A>", "<a>", "</a>", 1, true), "1");
  EXPECT_EQ(TextBetween("<a>1", "<a>", "</a>"), "");
  EXPECT_EQ(TextBetween("xx", "<a>", "</a>"), "");
  EXPECT_EQ(TextBetween("abc", "a", "c", 100), "");
}

}  // namespace
}  // namespace larkbay

namespace larkbay {
namespace {

TEST(PercentEncoding, EncodesAllButUnreservedAndDecodesLeniently) {
  EXPECT_EQ(PercentEncode("aZ09-_.~"), "aZ09-_.~");
  EXPECT_EQ(PercentEncode("a b&=+/"), "a%20b%26%3D%2B%2F");
  EXPECT_EQ(PercentEncode("\xE4\xB8\xAD"), "%E4%B8%AD");
  EXPECT_EQ(PercentEncode(std::string("\0", 1)), "%00");
  EXPECT_EQ(PercentEncode(std::string("a-_.~\0", 6), "-."), "a-%5F.%7E%00");
  struct Case {
    const char* text;
    std::string bytes;
  };
  const Case cases[] = {
      {"%41", "A"},          {"%4a%4A", "JJ"}, {"%E4%B8%AD", "\xE4\xB8\xAD"},
      {"a+b", "a+b"},        {"%", "%"},       {"%4", "%4"},
      {"%zz%41", "%zzA"},    {"%00x", std::string("\0x", 2)}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentDecode(c.text), c.bytes) << c.text;
  const std::string everyByte = [] {
    std::string s;
    for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
    return s;
  }();
  EXPECT_EQ(PercentDecode(PercentEncode(everyByte)), everyByte);
}

}  // namespace
}  // namespace larkbay
