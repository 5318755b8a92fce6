#include <gtest/gtest.h>

#include <random>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

struct Rfc4648Case {
  const char* bytes;
  const char* text;
};

TEST(Base64, FollowsRfc4648BothWays) {
  const Rfc4648Case cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                               {"foo", "Zm9v"},  {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                               {"foobar", "Zm9vYmFy"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Base64Encode(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(Base64Decode(c.text), c.bytes) << c.text;
  }
}

TEST(Base64, RoundTripsEveryByteValueAndLength) {
  std::mt19937 rng(7);
  for (size_t length = 0; length < 70; ++length) {
    std::string bytes(length, '\0');
    for (char& b : bytes) b = static_cast<char>(rng());
    const std::string text = Base64Encode(bytes);
    EXPECT_EQ(text.size() % 4, 0u);
    EXPECT_EQ(text.find_first_of("\r\n "), std::string::npos);
    EXPECT_EQ(Base64Decode(text), bytes) << length;
  }
}

TEST(Base64, DecodeIgnoresSpacesAndLineBreaks) {
  const std::string plain = "Zm9vYmFyIGJheg==";
  const char* noisy[] = {"Zm9v YmFy IGJh eg==", "Zm9vYmFy\r\nIGJheg==", "Zm9v\r\n YmFyIGJheg==\r\n",
                         "Zm9v\xE3\x80\x80YmFyIGJheg==", " Zm9vYmFy\xE3\x80\x80\r\nIGJheg== ",
                         "Zm9vYmFy\r \nIGJheg=="};
  for (const char* text : noisy) EXPECT_EQ(Base64Decode(text), Base64Decode(plain)) << text;
  EXPECT_EQ(Base64Decode(plain), "foobar baz");
}

TEST(Base64, LenientDecodeOfShortAndPaddedGroups) {
  struct Case {
    const char* text;
    std::string bytes;
  };
  const Case cases[] = {
      {"QQ==", "A"},                            // two "=": one byte
      {"QUI=", "AB"},                           // one "=": two bytes
      {"QUJD", "ABC"},                          // whole group
      {"QQ", std::string("A\0\0", 3)},          // no padding: three bytes, last two zero
      {"QUI", std::string("AB\0", 3)},
      {"QUJDQQ==", "ABCA"},
      {"QUJDQ===", "ABC"},                      // one alphabet character: no byte
      {"QUJD=", "ABC"},                         // a stray "=" takes no byte of the group before
      {"QUJD\n", "ABC"},                        // nor does a trailing line feed
      {"QUI==", std::string("AB\0", 3)},        // only the last group is trimmed
  };
  for (const auto& c : cases) EXPECT_EQ(Base64Decode(c.text), c.bytes) << c.text;
}

TEST(Base64, DecodeNeverFailsOnGarbage) {
  const char* garbage[] = {"=", "====", "!!!!", "\xff\xfe", "A=B=C=D=", "\xE3\x80", "\r",
                           "\r\n\r\n", "ab\0cd", "Zm9v=Zm9v", "*"};
  for (const char* text : garbage) {
    const Bytes out = Base64Decode(text);
    EXPECT_LE(out.size(), (std::string_view(text).size() + 3) / 4 * 3) << text;
  }
  std::mt19937 rng(3);
  for (int round = 0; round < 300; ++round) {
    std::string text(rng() % 40, '\0');
    for (char& c : text) c = static_cast<char>(rng());
    const Bytes out = Base64Decode(text);
    EXPECT_LE(out.size(), (text.size() + 3) / 4 * 3);
  }
}

TEST(SwapLetterCase, SwapsAsciiLettersOnly) {
  EXPECT_EQ(SwapLetterCase("abc"), "ABC");
  EXPECT_EQ(SwapLetterCase("ABC"), "abc");
  EXPECT_EQ(SwapLetterCase("aZ09+/=@[`{"), "Az09+/=@[`{");
  const std::string mixed = "Zm9vYmFy+/==\xE4\xB8\xAD";
  EXPECT_EQ(SwapLetterCase(SwapLetterCase(mixed)), mixed);
  EXPECT_EQ(SwapLetterCase("\xE4\xB8\xAD"), "\xE4\xB8\xAD");
}

}  // namespace
}  // namespace larkbay
