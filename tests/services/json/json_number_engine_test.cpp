// Number texts of JsonObject against a real script engine (the Duktape behind
// ScriptHost): String(x) for one number, String(a) and JSON.stringify(a) for
// an array of them.
//
// The engine builds each double from its bits, since its own reading of
// decimal text is not always exact (it reads "1e23" as the next double up).
// One freedom of the language is allowed: when the shortest digits end
// exactly halfway, the last digit may round either way; ours must then be
// the even one, as the language recommends.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "services/json/json_object.h"
#include "services/script/script_host.h"

namespace larkbay {
namespace {

constexpr std::string_view kEngineFunctions = R"js(
function fromBits(hi, lo) {
  var view = new DataView(new ArrayBuffer(8));
  view.setUint32(0, Number(hi));
  view.setUint32(4, Number(lo));
  return view.getFloat64(0);
}
function numberText(hi, lo) { return String(fromBits(hi, lo)); }
function arrayTexts(bits) {
  var parts = bits.split(" "), a = [];
  for (var i = 0; i < parts.length; i += 2) a.push(fromBits(parts[i], parts[i + 1]));
  return String(a) + "\n" + JSON.stringify(a);
}
)js";

std::string High(double x) { return std::to_string(std::bit_cast<std::uint64_t>(x) >> 32); }
std::string Low(double x) { return std::to_string(std::bit_cast<std::uint64_t>(x) & 0xFFFFFFFFu); }

// Equal, or both are shortest texts of `x` that differ in a last digit rounded
// from exactly halfway, and ours is the even one.
bool SameNumberText(const std::string& ours, const std::string& engine, double x) {
  if (ours == engine) {
    return true;
  }
  if (ours.size() != engine.size() || ours.empty()) {
    return false;
  }
  double a = 0;
  double b = 0;
  std::from_chars(ours.data(), ours.data() + ours.size(), a);
  std::from_chars(engine.data(), engine.data() + engine.size(), b);
  const std::size_t digitEnd = ours.find('e') == std::string::npos ? ours.size() : ours.find('e');
  return a == x && b == x && digitEnd > 0 &&
         ours.compare(digitEnd, std::string::npos, engine, digitEnd, std::string::npos) == 0 &&
         ours.compare(0, digitEnd - 1, engine, 0, digitEnd - 1) == 0 &&
         (ours[digitEnd - 1] - '0') % 2 == 0;
}

std::vector<std::string> SplitAtCommas(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t from = 0;;) {
    const std::size_t cut = text.find(',', from);
    out.emplace_back(text.substr(from, cut - from));
    if (cut == std::string_view::npos) {
      return out;
    }
    from = cut + 1;
  }
}

// Shortest round-trip text, so the engine and the parser see the same double.
std::string ShortestText(double x) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, res.ptr);
}

std::vector<double> Samples() {
  std::vector<double> out = {0.0,
                             -0.0,
                             1,
                             -1,
                             1.5,
                             0.1,
                             0.2,
                             0.30000000000000004,
                             1.0 / 3,
                             2.0 / 3,
                             100,
                             123.456,
                             1e15,
                             1e16,
                             1e17,
                             1.2345678901234567e20,
                             999999999999999900000.0,
                             1e21,
                             1.5e21,
                             0.000001,
                             0.0000012345,
                             1e-7,
                             1.5e-7,
                             9.999999999999999e-7,
                             5e-324,
                             2.2250738585072014e-308,
                             1.7976931348623157e308,
                             9007199254740992.0,
                             9007199254740994.0,
                             18446744073709551616.0,
                             4294967295.0,
                             4294967296.0,
                             123456789012345680000.0,
                             1.7e-6,
                             0.5,
                             0.05,
                             5e-7};
  for (int k = -12; k <= 25; ++k) {  // powers of ten around both switches, and neighbours
    const double p = std::pow(10.0, k);
    for (double x : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL)}) {
      out.push_back(x);
      out.push_back(-x);
    }
  }
  std::mt19937_64 random(20240611);
  const double twoTo53 = 9007199254740992.0;
  for (int i = 0; i < 400; ++i) {  // integers near 2^53 (and past it, where only evens exist)
    const double offset = static_cast<double>(static_cast<std::int64_t>(random() % 4001) - 2000);
    out.push_back(twoTo53 + offset);
    out.push_back(-(twoTo53 * 8 + offset * 8));
  }
  while (out.size() < 4000) {  // any finite bit pattern
    const double x = std::bit_cast<double>(static_cast<std::uint64_t>(random()));
    if (std::isfinite(x)) {
      out.push_back(x);
    }
  }
  return out;
}

TEST(JsonNumberEngine, PlainTextMatchesTheEngine) {
  ScriptHost engine;
  ASSERT_TRUE(engine.ExecuteStatement(kEngineFunctions));
  int differences = 0;
  for (double x : Samples()) {
    const std::string text = ShortestText(x);
    const std::string expected = engine.Run("numberText", High(x), Low(x));
    ASSERT_FALSE(expected.empty()) << text;
    JsonObject o;
    ASSERT_TRUE(o.Parse(text)) << text;
    const std::string plain = o.GetText("");
    if (!SameNumberText(plain, expected, x) && ++differences <= 20) {
      ADD_FAILURE() << text << ": ours " << plain << ", engine " << expected;
    }
  }
  EXPECT_EQ(differences, 0);
}

// GetText of an array joins the elements' texts with ","; ToText writes the
// same numbers, but -0 as 0 in both.
TEST(JsonNumberEngine, ArraysMatchTheEngine) {
  ScriptHost engine;
  ASSERT_TRUE(engine.ExecuteStatement(kEngineFunctions));
  const std::vector<double> samples = Samples();
  constexpr std::size_t kBatch = 50;
  for (std::size_t from = 0; from < samples.size(); from += kBatch) {
    const std::size_t to = std::min(from + kBatch, samples.size());
    std::string array = "[";
    std::string bits;
    for (std::size_t i = from; i < to; ++i) {
      array += std::string(i == from ? "" : ",") + ShortestText(samples[i]);
      bits += std::string(i == from ? "" : " ") + High(samples[i]) + " " + Low(samples[i]);
    }
    array += "]";
    const std::string engineTexts = engine.Run("arrayTexts", bits);
    const std::size_t newline = engineTexts.find('\n');
    ASSERT_NE(newline, std::string::npos) << array;
    const std::string engineJoined = engineTexts.substr(0, newline);
    const std::string engineJson = engineTexts.substr(newline + 1);
    ASSERT_EQ(engineJson, "[" + engineJoined + "]");

    JsonObject o;
    ASSERT_TRUE(o.Parse(array));
    const std::string joined = o.GetText("");
    EXPECT_EQ(o.ToText(), "[" + joined + "]");
    const std::vector<std::string> ours = SplitAtCommas(joined);
    const std::vector<std::string> theirs = SplitAtCommas(engineJoined);
    ASSERT_EQ(ours.size(), to - from);
    ASSERT_EQ(theirs.size(), to - from);
    for (std::size_t i = 0; i < ours.size(); ++i) {
      EXPECT_TRUE(SameNumberText(ours[i], theirs[i], samples[from + i]))
          << "ours " << ours[i] << ", engine " << theirs[i];
    }
  }
}

}  // namespace
}  // namespace larkbay
