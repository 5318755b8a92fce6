// Hot paths of the services on a realistic search answer: the answer's
// decoding, its parse, and the fill loop of one result page.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

constexpr std::array<const char*, 11> kSongMembers = {
    "SongID",    "SongName", "SongArtists", "SongAlbum", "SongTime", "SongMV",
    "media_mid", "SQ",       "HQ",          "HD",        "ST"};

const char* const kNames[] = {"夜空中最亮的星", "平凡之路",   "光年之外", "稻香",   "晴天",
                              "后来",           "突然好想你", "起风了",   "小幸运", "演员"};
const char* const kArtists[] = {"逃跑计划", "朴树",         "邓紫棋", "周杰伦", "刘若英",
                                "五月天",   "买辣椒也用券", "田馥甄", "薛之谦", "陈奕迅"};

// One page of a song search answer: 100 songs with the eleven members the
// list reads and the extras a real answer carries (which it ignores).
std::string SongAnswer(int songs) {
  std::string json = R"({"Page":1,"ListCount":)" + std::to_string(songs) +
                     R"(,"PageaCount":37,"DataCount":3700,"List":[)";
  for (int i = 0; i < songs; ++i) {
    const std::string n = std::to_string(i);
    if (i > 0) json += ",";
    json += R"({"SongID":")" + std::to_string(100000 + i * 37) + R"(","SongName":")" +
            kNames[i % 10] + "（现场版 " + n + R"(）","SongArtists":")" + kArtists[i % 10] + "、" +
            kArtists[(i + 3) % 10] + R"(","SongAlbum":"《)" + kNames[(i + 5) % 10] +
            R"(》 十周年纪念专辑","SongTime":"04:)" + std::to_string(10 + i % 50) +
            R"(","SongMV":")" + (i % 3 == 0 ? "mv" + n : "") + R"(","media_mid":"002)" + n +
            R"(AbCdEfGh","SQ":")" + (i % 4 == 0 ? "0" : "1") + R"(","HQ":"1","HD":"1","ST":"1",)" +
            R"("SongPic":"http://y.example.com/music/photo_new/T002R300x300M000)" + n +
            R"(.jpg","SongSize":{"ST":2345678,"HD":7012345,"HQ":11234567,"SQ":31234567},)" +
            R"("SongDesc":"收录于专辑《)" + kNames[(i + 5) % 10] + R"(》，由)" + kArtists[i % 10] +
            R"(演唱，发行于二〇一五年，曲风流行，时长约四分钟，适合夜晚独自聆听的一首歌。"})";
  }
  return json + "]}";
}

const std::string& Answer() {
  static const std::string answer = SongAnswer(100);
  return answer;
}

// The gateway's form of an answer of about `bytes` bytes: UTF-8 JSON,
// Base64, letter case swapped.
std::string EncodedAnswer(size_t bytes) {
  std::string json = "[";
  while (json.size() * 4 / 3 < bytes) json += Answer() + ",";
  json.back() = ']';
  return SwapLetterCase(Base64Encode(TextToUtf8(json)));
}

void BM_Parse(benchmark::State& state) {
  const std::string& answer = Answer();
  for (auto _ : state) {
    JsonObject doc;
    benchmark::DoNotOptimize(doc.Parse(answer));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
  state.counters["answer_bytes"] = static_cast<double>(answer.size());
}
BENCHMARK(BM_Parse);

// What the search worker does with a parsed answer: the four counters, the
// list as JSON parsed again, then per song its element and eleven members.
// The argument is the number of songs; the work per song must not grow with it.
void BM_PageFill(benchmark::State& state) {
  const int songs = static_cast<int>(state.range(0));
  JsonObject answer;
  answer.Parse(songs == 100 ? Answer() : SongAnswer(songs));
  std::vector<std::array<std::string, 11>> records(static_cast<size_t>(songs));
  for (auto _ : state) {
    int counters = 0;
    for (const char* name : {"Page", "ListCount", "PageaCount", "DataCount"}) {
      counters += std::atoi(answer.GetText(name).c_str());
    }
    JsonObject list;
    list.Parse(answer.GetText("List", true));
    for (int n = 0; n < songs; ++n) {
      const JsonObject song = list.GetItemObject(n, "");
      for (size_t m = 0; m < kSongMembers.size(); ++m) {
        records[static_cast<size_t>(n)][m] = song.GetText(kSongMembers[m]);
      }
    }
    benchmark::DoNotOptimize(counters);
    benchmark::DoNotOptimize(records);
  }
  // Measure the real reads, not a failure path.
  const size_t last = static_cast<size_t>(songs - 1);
  if (records[last][0] != std::to_string(100000 + (songs - 1) * 37) || records[last][1].empty() ||
      records[0][5] != "mv0") {
    state.SkipWithError("the fill loop did not read the songs");
  }
  state.SetItemsProcessed(state.iterations() * songs);
}
BENCHMARK(BM_PageFill)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_Base64Decode(benchmark::State& state) {
  const std::string encoded = SwapLetterCase(EncodedAnswer(200 * 1024));
  for (auto _ : state) benchmark::DoNotOptimize(Base64Decode(encoded));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * encoded.size()));
}
BENCHMARK(BM_Base64Decode);

void BM_SwapLetterCase(benchmark::State& state) {
  const std::string encoded = EncodedAnswer(200 * 1024);
  for (auto _ : state) benchmark::DoNotOptimize(SwapLetterCase(encoded));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * encoded.size()));
}
BENCHMARK(BM_SwapLetterCase);

void BM_Utf8ToText(benchmark::State& state) {
  const std::string utf8 = Base64Decode(SwapLetterCase(EncodedAnswer(200 * 1024)));
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToText(utf8));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * utf8.size()));
}
BENCHMARK(BM_Utf8ToText);

// The whole answer decoding of a 200 KB answer.
void BM_AnswerDecode(benchmark::State& state) {
  const std::string encoded = EncodedAnswer(200 * 1024);
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToText(Base64Decode(SwapLetterCase(encoded))));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * encoded.size()));
}
BENCHMARK(BM_AnswerDecode);

void BM_Md5Hex(benchmark::State& state) {
  std::string data(1 << 20, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + 7);
  for (auto _ : state) benchmark::DoNotOptimize(Md5Hex(data, false));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_Md5Hex);

}  // namespace
}  // namespace larkbay
