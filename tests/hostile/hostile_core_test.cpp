// Every document the client reads, answered by a hostile server, on the core
// with in-memory controls: each case runs its flow in a scratch world of its
// own (HOME, data folder, desktop and download folder under one root) and
// checks what the user would see, that the flow ends in time, that nothing
// appeared outside the client's folders and how far the peak resident memory
// rose. The table of all cases is written to hostile-core-report.md.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include "downloads/download_manager.h"
#include "dispatch/download_commands.h"
#include "hostile_gateway.h"
#include "hostile_report.h"
#include "net/server_request.h"
#include "platform/control_names.h"
#include "platform/config_ini.h"
#include "platform/memory_controls.h"
#include "player/engine_library.h"
#include "player/page_host.h"
#include "remote/engine_install.h"
#include "remote/engine_pack.h"
#include "remote/music_list.h"
#include "remote/program_config.h"
#include "remote/search_sites.h"
#include "remote/remote_paths.h"
#include "remote/self_update.h"
#include "remote/step_context.h"
#include "search/dj_actions.h"
#include "search/dj_search.h"
#include "search/search_worker.h"
#include "search/song_actions.h"
#include "search/song_search.h"
#include "services/signature/release_signature.h"
#include "services/text/text_helpers.h"
#include "state/program_state.h"

namespace larkbay::hostile {
namespace {

using namespace names;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr char kLost[] = "无法与Lark-Bay服务器进行通讯,请检测网络连接状态。";
constexpr char kFailedRow[] = "错误内容：查找失败";
constexpr char kDone[] = "搜索已完成！";
constexpr char kDjFailedLabel[] = "出错啦，稍后再试！";
constexpr char kOldUpdater[] = "the updater this copy had before";
constexpr char kEngineLibraryBytes[] = "the engine library a signed pack brought";

// What the server's downloads folder offers, each signed by the release key.
std::string AnnouncedUpdater() { return std::string(20000, 'U') + "the announced updater"; }
std::string AnnouncedPack() { return std::string(30000, 'P') + "the announced engine pack"; }

fs::path SuiteRoot() {
  static const fs::path root = [] {
    char pattern[] = "/tmp/larkbay-hostile-XXXXXX";
    return fs::path(mkdtemp(pattern));
  }();
  return root;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The browser side of the player strip and the downloads: what it was handed.
struct RecordingHost : PageHost {
  std::vector<std::string> pages, downloads;
  bool LoadPage(std::string_view page) override {
    pages.emplace_back(page);
    return true;
  }
  bool RunScript(std::string_view) override { return true; }
  bool StartDownload(std::string_view url) override {
    downloads.emplace_back(url);
    return true;
  }
};

// One case's client: its own folders, controls, values and server client.
struct World {
  explicit World(const std::string& base)
      : root(SuiteRoot() / "case"), client(base) {
    fs::remove_all(root);
    for (const fs::path& dir : {root / "appdata/Lark-Bay/data", root / "Desktop", root / "downloads"})
      fs::create_directories(dir);
    dataDir = (root / "appdata/Lark-Bay").string() + "/";
    WriteBytes(root / "appdata/Lark-Bay/Update.exe", kOldUpdater);
    // An engine its signed pack installed: cef.pak of the announced digest
    // (the empty file) and the library whose digest the installation kept.
    fs::create_directories(root / "appdata/Lark-Bay/Engine");
    WriteBytes(root / "appdata/Lark-Bay/Engine/cef.pak", "");
    WriteBytes(root / "appdata/Lark-Bay/Engine" / kEngineLibraryFile, kEngineLibraryBytes);
    WriteConfigValue(dataDir + std::string(kConfigIniFile), kEngineLibraryKey,
                     Sha256Hex(kEngineLibraryBytes));
    state.appState.VersionNumber = kVersionNumber;
    state.appState.PlayerEngine = "cef";
    state.appState.AutoPlay = true;
    state.appState.SavePath = (root / "downloads").string() + "/";

    controls.Add(kStartupWindow);
    MemoryControls::Control combo;
    combo.currentIndex = 0;
    combo.items = {"歌名搜索"};
    controls.Add(kDjTypeBox, combo);
    combo.items = {"DJ娱乐网"};
    controls.Add(kDjSiteBox, combo);
    combo.items = {"QQ音乐"};
    controls.Add(kSongSiteBox, combo);
    MemoryControls::Control list;
    list.rect = {0, 0, 620, 300};
    controls.Add(kSongResultList, list);
    controls.Add(kDjResultList, list);
    controls.Add(kDownloadList, list);
    for (const char* name : {kSongSearchBox, kSongFindButton, kSongNextButton, kSongPreviousButton,
                             kSongPageLabel, kSongProgress, kDjSearchBox, kDjSortBox, kDjFindButton,
                             kDjNextButton, kDjPreviousButton, kDjPageLabel, kDjProgress,
                             kDjInfoPanel, kSavePathBox})
      controls.Add(name);
  }
  ~World() {
    songWorker.Stop();
    djWorker.Stop();
  }

  StepContext Step() {
    StepContext context{controls, state, client, dataDir, "http://assets.test/"};
    context.desktopDir = (root / "Desktop").string() + "/";
    context.endProcess = [this] { ++ends; };
    context.sleep = [](std::chrono::milliseconds) {};
    // The engine starts when Engine/cef.pak has the announced digest.
    context.startEngine = [](const std::string&) { return true; };
    return context;
  }
  // The search boxes as the demo configuration fills them.
  void SearchBoxes() {
    MemoryControls::Control sites;
    sites.items = {"小雨音乐", "云雀音乐", "星河音乐"};
    sites.tag = "xy|yq|xh";
    sites.currentIndex = 0;
    controls.Add(kSongSiteBox, sites);
    sites.items = {"DJ娱乐网", "舞曲天堂", "电音部落", "夜店串烧"};
    sites.tag = "djyl|wqtt|dybl|ydcs";
    controls.Add(kDjSiteBox, sites);
    sites.items = {"歌名搜索", "编号搜索", "作者搜索"};
    sites.tag = "SongName|SongID|SongUserName";
    controls.Add(kDjTypeBox, sites);
  }
  void Wait(SearchWorker& worker, std::chrono::seconds limit = 60s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (worker.Running() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(5ms);
  }
  void SongSearch(const std::string& keyword = "林小雨") {
    controls.SetText(kSongSearchBox, keyword);
    OnSongFindClicked(search);
    Wait(songWorker);
  }
  void DjSearch(const std::string& keyword = "#all") {
    controls.SetText(kDjSearchBox, keyword);
    OnDjFindClicked(search);
    Wait(djWorker);
  }

  fs::path root;
  std::string dataDir;
  ServerClient client;
  MemoryControls controls;
  ProgramState state;
  SearchWorker songWorker, djWorker;
  RecordingHost host;
  SearchContext search{controls, state, client, songWorker, djWorker, &host, "http://assets.test/"};
  DownloadContext downloads{controls, state, &host};
  int ends = 0;
  std::string steps;  // start-up steps 2 to 7 that ran: '1' for "√", '0' for "×"
  std::string note;
  // The console's marks of those steps.
  std::string Marks() const {
    std::string marks;
    for (const char c : steps) marks += c == '1' ? "√" : "×";
    return marks;
  }
};

// --- the flows ---------------------------------------------------------------

// Start-up steps 2 to 7 as the sequence runs them; a step that ends the
// process ends the run there.
void RunStartup(World& w) {
  StepContext context = w.Step();
  const std::vector<std::function<bool()>> steps = {
      [&] { return FetchProgramConfig(context); }, [&] { return UpdateUpdater(context); },
      [&] { return UpdateProgram(context); },      [&] { return InstallEngine(context); },
      [&] { return LoadMusicList(context); },
      [&] {
        FillDjSearchLists(w.controls, w.state);
        FillSongSiteList(w.controls, w.state);
        return true;
      }};
  for (const auto& step : steps) {
    w.steps += step() ? '1' : '0';
    if (w.ends > 0) return;
  }
}

// --- what the user sees --------------------------------------------------------

struct Verdict {
  bool pass = true;
  std::string shown;
  std::string why;  // what failed
  void Expect(bool ok, const std::string& what) {
    if (!ok) {
      pass = false;
      why += (why.empty() ? "" : "; ") + what;
    }
  }
};

std::string Boxes(const World& w) {
  std::string text;
  for (const auto& box : w.controls.MessageBoxes())
    text += (text.empty() ? "" : ", ") + ("box \"" + box.title + "\"");
  return text;
}

bool HasBox(const World& w, std::string_view title, std::string_view text) {
  for (const auto& box : w.controls.MessageBoxes())
    if (box.title == title && box.text.find(text) != std::string::npos) return true;
  return false;
}

bool ValidUtf8(std::string_view text) { return SanitizeUtf8(text) == text; }

std::string Clip(std::string text, size_t most = 60) {
  if (text.size() <= most) return text;
  size_t cut = most;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "…";
}

// The list as a user reads it: a message column, or the number of rows.
std::string ListShown(const MemoryControls::Control& list) {
  if (list.columns.size() == 1 && list.rows.size() == 1)
    return "\"" + Clip(list.columns[0].title, 40) + "\" / \"" + list.rows[0][0] + "\"";
  return std::to_string(list.rows.size()) + " rows";
}

// The failure display of a result list.
void ExpectFailureDisplay(Verdict& v, const MemoryControls::Control& list) {
  v.Expect(list.columns.size() == 1 && list.rows.size() == 1 && list.rows[0][0] == kFailedRow &&
               list.columns[0].title.ends_with("->发生错误") && !list.enabled,
           "no failure display");
}

// The empty-page display.
void ExpectEmptyPage(Verdict& v, const MemoryControls::Control& list) {
  v.Expect(list.columns.size() == 1 && list.rows.size() == 1 && list.rows[0][0] == kDone &&
               !list.enabled,
           "no empty-page display");
}

// A filled song page of `rows` rows, every cell valid text.
void ExpectSongRows(Verdict& v, const MemoryControls::Control& list, size_t rows) {
  v.Expect(list.columns.size() == 10, "not the ten song columns");
  v.Expect(list.rows.size() == rows,
           "rows " + std::to_string(list.rows.size()) + " instead of " + std::to_string(rows));
  for (const auto& row : list.rows)
    for (const std::string& cell : row)
      if (!ValidUtf8(cell)) {
        v.Expect(false, "a cell is not valid UTF-8");
        return;
      }
}

// --- the hostile documents -----------------------------------------------------

std::string Nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

std::string SongJson(const std::string& name, const std::string& artists = "甲乙") {
  return R"({"SongID":"900001","SongName":")" + name + R"(","SongArtists":")" + artists +
         R"(","SongAlbum":"专辑","SongTime":"03:00","SongMV":"mv1","media_mid":"m1","SQ":"1","HQ":"1","HD":"1","ST":"1"})";
}

std::string SongPage(const std::string& list, const std::string& listCount = "1") {
  return R"({"Page":1,"ListCount":)" + listCount + R"(,"PageaCount":1,"DataCount":1,"List":)" + list +
         "}";
}

std::string ManySmallSongs(int n) {
  std::string list = "[";
  for (int i = 0; i < n; ++i) list += (i ? "," : "") + std::string(R"({"SongID":")") + std::to_string(i) + "\"}";
  return list + "]";
}

std::string MixPage(const std::string& list, const std::string& listCount = "1") {
  return R"({"Page":1,"ListCount":)" + listCount + R"(,"PageaCount":1,"DataCount":1,"List":)" + list +
         "}";
}

std::string MixJson(const std::string& id, const std::string& name = "混音") {
  return R"({"SongID":")" + id + R"(","SongName":")" + name +
         R"(","SongPlayUrl":"","SongTime":"60:00","SongFileSize":"80MB","SongUserName":"DJ","SongClassID":"1","SongImage":"","SongAddDate":"2020-01-01"})";
}

// A sealed document as the gateway's answer.
Script Sealed(std::string text) {
  return [text](const RecordedRequest&, const Normal&) { return Http(200, HostileGateway::Seal(text)); };
}
// A configuration-style document (stamp, percent-encoding, seal).
Script SealedDocument(std::string text) {
  return [text](const RecordedRequest&, const Normal&) {
    return Http(200, HostileGateway::SealDocument(text));
  };
}
Script Raw(std::string body, int status = 200) {
  return [body, status](const RecordedRequest&, const Normal&) { return Http(status, body); };
}
Script Cut(bool reset) {
  return [reset](const RecordedRequest&, const Normal& normal) {
    if (normal.status == 302) return RedirectTo(normal.wire);
    const std::string body = normal.wire.empty() ? normal.document : normal.wire;
    return reset ? ResetMidBody(body, body.size()) : LyingLength(body.substr(0, body.size() / 2), body.size() * 4);
  };
}
// The release files as the server offers them, but every signature answered
// with `signature` (none: 404).
Script Resigned(std::string signature) {
  return [signature](const RecordedRequest& request, const Normal& normal) {
    if (normal.status == 302) return RedirectTo(normal.wire);
    if (request.target.ends_with(kSignatureSuffix))
      return signature.empty() ? Http(404, "Not Found") : Http(200, signature);
    return normal.status == 200 ? Http(200, normal.document) : Http(404, "Not Found");
  };
}
Script Endless() {
  return [](const RecordedRequest&, const Normal&) { return EndlessBody(); };
}
Script Loop(HostileGateway& g, const std::string& target) {
  const std::string location = g.Base() + target;
  return [location](const RecordedRequest&, const Normal&) { return RedirectTo(location); };
}

// --- the cases -----------------------------------------------------------------

struct Case {
  std::string name;
  Doc doc;
  std::function<void(HostileGateway&)> script;
  std::function<void(World&)> flow;
  std::function<void(World&, Verdict&)> check;
  std::chrono::seconds limit{20};
};

// Start-up that cannot go on: "失联！！！", the process ended, no cache left.
void ExpectLost(World& w, Verdict& v) {
  v.shown = Boxes(w) + ", marks " + w.Marks();
  v.Expect(HasBox(w, "失联！！！", kLost), "no 失联 box");
  v.Expect(w.ends == 1, "the process was not ended");
  v.Expect(!fs::exists(w.dataDir + "data/program_Config"), "the unusable cache stayed");
}

// The recommended list failed: "×" for step 6, no box, nothing to play.
void ExpectListCross(World& w, Verdict& v) {
  v.shown = "marks " + w.Marks() + (Boxes(w).empty() ? "" : ", " + Boxes(w));
  v.Expect(w.steps.size() >= 5 && w.steps[4] == '0', "step 6 not ×");
  v.Expect(w.state.RecommendHtml.empty(), "a page was built");
  v.Expect(!fs::exists(w.dataDir + "data/muisclist_Config"), "the unusable cache stayed");
  v.Expect(w.ends == 0, "the process was ended");
}

// The list parsed: "√" for step 6 and a page whose entries are safe.
void ExpectSafeListPage(World& w, Verdict& v, size_t minEntries) {
  const std::string& page = w.state.RecommendHtml;
  size_t entries = 0;
  for (size_t at = 0; (at = page.find("<li><a", at)) != std::string::npos; ++at) ++entries;
  v.shown = "marks " + w.Marks() + ", page of " + std::to_string(entries) + " entries";
  v.Expect(w.steps.size() >= 5 && w.steps[4] == '1', "step 6 not √");
  v.Expect(entries >= minEntries, "too few entries");
  v.Expect(page.find("javascript:") == std::string::npos, "a javascript: address in the page");
  // Escaped markup stays as text ("&lt;img"); a live tag would start with "<".
  v.Expect(page.find("<img") == std::string::npos, "server markup in the page");
  v.Expect(ValidUtf8(page), "the page is not valid UTF-8");
}

// Step 3 failed and kept the updater it had.
void ExpectOldUpdater(World& w, Verdict& v) {
  v.shown = "marks " + w.Marks() + (Boxes(w).empty() ? "" : ", " + Boxes(w));
  v.Expect(w.steps.size() >= 2 && w.steps[1] == '0', "step 3 not ×");
  v.Expect(ReadBytes(w.dataDir + "Update.exe") == kOldUpdater, "Update.exe was replaced");
  v.Expect(w.ends == 0, "the process was ended");
}

// The configuration the reference server sends, with another program version.
std::string WithVersion(const HostileGateway& g, const std::string& version) {
  std::string doc = g.ConfigDocument();
  const std::string key = "\"version\":\"";
  const size_t at = doc.find(key);
  if (at != std::string::npos) {
    const size_t end = doc.find('"', at + key.size());
    doc.replace(at + key.size(), end - at - key.size(), version);
  }
  return doc;
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  auto startup = [](World& w) { RunStartup(w); };
  auto lost = [](Doc doc, std::string name, std::function<void(HostileGateway&)> script) {
    return Case{std::move(name), doc, std::move(script), [](World& w) { RunStartup(w); }, ExpectLost};
  };
  // Program configuration.
  cases.push_back(lost(Doc::kConfig, "empty answer, no cache", [](HostileGateway& g) { g.Set(Doc::kConfig, Raw("")); }));
  cases.push_back(lost(Doc::kConfig, "garbage", [](HostileGateway& g) {
    g.Set(Doc::kConfig, Raw(std::string(400, '!') + "<?php fatal ?>\x01\x02"));
  }));
  cases.push_back(lost(Doc::kConfig, "truncated Base64", [](HostileGateway& g) {
    const std::string sealed = HostileGateway::SealDocument(g.ConfigDocument());
    g.Set(Doc::kConfig, Raw(sealed.substr(0, sealed.size() / 2 + 1)));
  }));
  cases.push_back(lost(Doc::kConfig, "Base64 of non-JSON", [](HostileGateway& g) {
    g.Set(Doc::kConfig, SealedDocument("this is not a JSON document at all, only words"));
  }));
  cases.push_back(lost(Doc::kConfig, "NUL bytes in the document", [](HostileGateway& g) {
    std::string doc = g.ConfigDocument();
    doc.insert(doc.size() / 2, std::string("\0\0\0", 3));
    g.Set(Doc::kConfig, SealedDocument(doc));
  }));
  cases.push_back(lost(Doc::kConfig, "10,000-deep nesting", [](HostileGateway& g) {
    g.Set(Doc::kConfig, SealedDocument(Nested(10000)));
  }));
  cases.push_back(lost(Doc::kConfig, "HTTP 500", [](HostileGateway& g) {
    g.Set(Doc::kConfig, Raw("<html><body><h1>500 Internal Server Error</h1></body></html>", 500));
  }));
  cases.push_back(lost(Doc::kConfig, "connection reset mid-body", [](HostileGateway& g) { g.Set(Doc::kConfig, Cut(true)); }));
  cases.push_back(lost(Doc::kConfig, "lying Content-Length", [](HostileGateway& g) { g.Set(Doc::kConfig, Cut(false)); }));
  cases.push_back(lost(Doc::kConfig, "redirect loop", [](HostileGateway& g) {
    g.Set(Doc::kConfig, Loop(g, "/server_to_get.php"));
  }));
  cases.push_back(Case{"wrong types (Program text, DJ number, sites an object)", Doc::kConfig,
                       [](HostileGateway& g) {
                         g.Set(Doc::kConfig, SealedDocument(
                             R"({"Program":"text","DJ":5,"Song":{"Song_Search_Web":{"key":"a","value":"b"}}})"));
                       },
                       startup, [](World& w, Verdict& v) {
                         v.shown = "marks " + w.Marks() + ", " + Boxes(w);
                         v.Expect(w.ends == 0, "the process was ended");
                         v.Expect(w.steps.substr(0, 4) == "1000",
                                  "steps 3-5 not ×");
                         v.Expect(w.controls.Get(kSongSiteBox).items.empty(), "song sites not cleared");
                       }});
  cases.push_back(Case{"missing members (no Program, DJ, Song)", Doc::kConfig,
                       [](HostileGateway& g) { g.Set(Doc::kConfig, SealedDocument(R"({"Unrelated":"a document long enough to be sent whole"})")); }, startup,
                       [](World& w, Verdict& v) {
                         v.shown = "marks " + w.Marks();
                         v.Expect(w.ends == 0, "the process was ended");
                         v.Expect(w.steps.substr(1, 3) == "000", "steps 3-5 not ×");
                         v.Expect(w.controls.Get(kSongSiteBox).items == std::vector<std::string>{"QQ音乐"},
                                  "the song sites lost their template item");
                       }});
  // Versions that read as 0 (text, beyond 32 bits) are older than any build,
  // as is an older release the release key did sign: none is installed and
  // the start goes on.
  for (const auto& [name, version] : std::vector<std::pair<std::string, std::string>>{
           {"version as text", "abc"},
           {"version 2^31", "2147483648"},
           {"older version, its program signed", std::to_string(kVersionNumber - 1)}}) {
    cases.push_back(Case{name, Doc::kConfig,
                         [version = version](HostileGateway& g) {
                           g.Set(Doc::kConfig, SealedDocument(WithVersion(g, version)));
                         },
                         startup, [](World& w, Verdict& v) {
                           v.shown = "marks " + w.Marks() + (Boxes(w).empty() ? ", no box" : ", " + Boxes(w));
                           v.Expect(w.steps.size() >= 3 && w.steps[2] == '1', "step 4 not √");
                           v.Expect(Boxes(w).empty(), "a box came up");
                           v.Expect(w.ends == 0, "the process was ended");
                           v.Expect(!fs::exists(w.dataDir + std::string(kUpdaterRecordFile)),
                                    "handed over to the updater");
                           v.Expect(ReadConfigValue(w.dataDir + std::string(kConfigIniFile), kHandedOverKey, "").empty(),
                                    "a hand-over was recorded");
                         }});
  }
  cases.push_back(Case{"site keys: markup, control characters, 5,000 characters, invalid UTF-8, lone surrogate",
                       Doc::kConfig,
                       [](HostileGateway& g) {
                         const std::string keys = std::string(R"([{"key":"<img src=x onerror=alert(1)>","value":"a"},)") +
                                                  R"({"key":"\u0007\u001b[31m\r\n","value":"b"},{"key":")" +
                                                  std::string(5000, 'k') + R"(","value":"c"},{"key":")" "\xff\xfe" R"( bad","value":"d"},)" +
                                                  R"({"key":"\ud800 lone","value":"e"}])";
                         std::string doc = g.ConfigDocument();
                         const size_t at = doc.find("\"DJ_Search_Web\":");
                         const size_t end = doc.find(']', at);
                         doc.replace(at, end + 1 - at, "\"DJ_Search_Web\":" + keys);
                         g.Set(Doc::kConfig, SealedDocument(doc));
                       },
                       startup, [](World& w, Verdict& v) {
                         const auto sites = w.controls.Get(kDjSiteBox);
                         v.shown = "marks " + w.Marks() + ", " + std::to_string(sites.items.size()) + " DJ sites";
                         v.Expect(w.ends == 0, "the process was ended");
                         v.Expect(sites.items.size() == 5, "not five DJ sites");
                         for (const std::string& item : sites.items) v.Expect(ValidUtf8(item), "a site name is not valid UTF-8");
                         const std::string table = GbkToText(w.state.SiteListHtml);
                         v.Expect(table.find("<img") == std::string::npos, "site markup in the site table");
                       }});
  // Recommended list.
  auto listCase = [](std::string name, std::function<void(HostileGateway&)> script) {
    return Case{std::move(name), Doc::kMusicList, std::move(script), [](World& w) { RunStartup(w); }, ExpectListCross};
  };
  cases.push_back(listCase("empty answer, no cache", [](HostileGateway& g) { g.Set(Doc::kMusicList, Raw("")); }));
  cases.push_back(listCase("garbage", [](HostileGateway& g) { g.Set(Doc::kMusicList, Raw(std::string(300, '#'))); }));
  cases.push_back(listCase("truncated Base64", [](HostileGateway& g) {
    g.Set(Doc::kMusicList, [](const RecordedRequest&, const Normal& normal) {
      return Http(200, normal.wire.substr(0, normal.wire.size() / 2 + 1));
    });
  }));
  cases.push_back(listCase("Base64 of non-JSON", [](HostileGateway& g) {
    g.Set(Doc::kMusicList, SealedDocument("<html>a list, it was not</html> and more words"));
  }));
  cases.push_back(listCase("10,000-deep nesting", [](HostileGateway& g) {
    g.Set(Doc::kMusicList, SealedDocument("{\"Muisc\":" + Nested(10000) + "}"));
  }));
  cases.push_back(listCase("connection reset mid-body", [](HostileGateway& g) { g.Set(Doc::kMusicList, Cut(true)); }));
  cases.push_back(Case{"Muisc as an object", Doc::kMusicList,
                       [](HostileGateway& g) { g.Set(Doc::kMusicList, SealedDocument(R"({"Muisc":{"url":"x"}})")); },
                       startup, [](World& w, Verdict& v) {
                         v.shown = "marks " + w.Marks();
                         v.Expect(w.ends == 0, "the process was ended");
                         v.Expect(w.state.RecommendHtml.find("<li><a") == std::string::npos, "entries from an object");
                       }});
  cases.push_back(Case{"100,000-element list", Doc::kMusicList,
                       [](HostileGateway& g) {
                         std::string doc = "{\"Muisc\":[";
                         for (int i = 0; i < 100000; ++i) doc += i ? ",0" : "0";
                         g.Set(Doc::kMusicList, SealedDocument(doc + "]}"));
                       },
                       startup, [](World& w, Verdict& v) {
                         // Either the list is refused as too large or every entry is there.
                         if (w.steps.size() >= 5 && w.steps[4] == '0') {
                           ExpectListCross(w, v);
                         } else {
                           ExpectSafeListPage(w, v, 100000);
                         }
                       },
                       60s});
  cases.push_back(Case{"javascript: and quotes in url, markup in names, NUL, invalid UTF-8, lone surrogate",
                       Doc::kMusicList,
                       [](HostileGateway& g) {
                         g.Set(Doc::kMusicList, SealedDocument(
                             std::string(R"J({"Muisc":[{"url":"javascript:alert(1)","artists":"<img src=x onerror=alert(1)>","name":"a"},)J") +
                             R"J({"url":"http://h/a.mp3' onmouseover='alert(1)","artists":"\u0000nul","name":"\ud800 lone )J" "\xff\xfe" R"J("}]})J"));
                       },
                       startup, [](World& w, Verdict& v) {
                         ExpectSafeListPage(w, v, 2);
                         v.Expect(w.state.RecommendHtml.find("' onmouseover='") == std::string::npos,
                                  "a quote broke out of the address");
                       }});
  // The three download-address answers and the updater's download.
  auto updater = [](std::string name, std::function<void(HostileGateway&)> script, Doc doc = Doc::kUpdataPath) {
    return Case{std::move(name), doc, std::move(script), [](World& w) { RunStartup(w); }, ExpectOldUpdater};
  };
  cases.push_back(updater("garbage", [](HostileGateway& g) { g.Set(Doc::kUpdataPath, Raw("garbage garbage")); }));
  cases.push_back(updater("List as an object, numbers", [](HostileGateway& g) {
    g.Set(Doc::kUpdataPath, Sealed(R"({"0":"http://127.0.0.1:1/x","List":[1,2,3]})"));
  }));
  cases.push_back(updater("javascript:, file:, quotes, NUL", [](HostileGateway& g) {
    g.Set(Doc::kUpdataPath, Sealed(R"J(["javascript:alert(1)","file:///etc/passwd","http://127.0.0.1:1/a\"b","\u0000"])J"));
  }));
  cases.push_back(updater("redirect loop", [](HostileGateway& g) {
    g.Set(Doc::kUpdataPath, Sealed("[\"" + g.Base() + "/go/loop\"]"));
    g.Set(Doc::kPack, Loop(g, "/go/loop"));
  }, Doc::kPack));
  cases.push_back(updater("lying Content-Length", [](HostileGateway& g) { g.Set(Doc::kPack, Cut(false)); }, Doc::kPack));
  cases.push_back(updater("connection reset mid-body", [](HostileGateway& g) { g.Set(Doc::kPack, Cut(true)); }, Doc::kPack));
  cases.push_back(updater("HTTP 500", [](HostileGateway& g) { g.Set(Doc::kPack, Raw("<h1>500</h1>", 500)); }, Doc::kPack));
  cases.push_back(updater("10,000-deep nesting", [](HostileGateway& g) { g.Set(Doc::kUpdataPath, Sealed(Nested(10000))); }));
  cases.push_back(Case{"100,000 dead addresses", Doc::kUpdataPath,
                       [](HostileGateway& g) {
                         const std::string dead = "\"http://127.0.0.1:" + std::to_string(testing::LoopbackServer::UnusedPort()) + "/x\"";
                         std::string list = "[";
                         for (int i = 0; i < 100000; ++i) list += (i ? "," : "") + dead;
                         g.Set(Doc::kUpdataPath, Sealed(list + "]"));
                       },
                       startup, ExpectOldUpdater, 30s});
  // Release signatures: the updater's download and the engine pack on the
  // desktop are taken only with the release key's signature of their bytes.
  const std::vector<std::pair<std::string, std::function<std::string(const std::string&)>>> forgeries = {
      {"no signature", [](const std::string&) { return std::string(); }},
      {"a signature by another key", [](const std::string& bytes) { return SignatureOf(bytes, kOtherKeyPem); }},
      {"the release key's signature of other bytes", [](const std::string& bytes) { return SignatureOf(bytes + "x"); }},
      {"a garbage signature", [](const std::string&) { return std::string(300, '%') + "\n"; }},
  };
  for (const auto& [name, sign] : forgeries) {
    cases.push_back(updater("Update.exe with " + name, [signature = sign(AnnouncedUpdater())](HostileGateway& g) {
      g.Set(Doc::kPack, Resigned(signature));
    }, Doc::kPack));
  }
  // The same download with its own signature replaces the updater: the
  // cases above fail for their signature alone.
  cases.push_back(Case{"Update.exe signed by the release key", Doc::kPack,
                       [](HostileGateway& g) { g.Set(Doc::kPack, Resigned(SignatureOf(AnnouncedUpdater()))); },
                       startup, [](World& w, Verdict& v) {
                         v.shown = "marks " + w.Marks() + (Boxes(w).empty() ? "" : ", " + Boxes(w));
                         v.Expect(w.steps.size() >= 2 && w.steps[1] == '1', "step 3 not √");
                         v.Expect(ReadBytes(w.dataDir + "Update.exe") == AnnouncedUpdater(), "Update.exe not replaced");
                         v.Expect(fs::exists(w.dataDir + "Update.exe" + std::string(kSignatureSuffix)),
                                  "its signature was not kept beside it");
                       }});
  // A pack of the announced digest on the desktop, but no engine yet.
  auto desktopPack = [](std::string signature) {
    return [signature](World& w) {
      fs::remove_all(w.dataDir + std::string(kEngineFolder));
      const fs::path pack = w.root / "Desktop" / kEnginePackFile;
      WriteBytes(pack, AnnouncedPack());
      if (!signature.empty()) WriteBytes(pack.string() + std::string(kSignatureSuffix), signature);
      RunStartup(w);
      // What the case put there is no file the flow wrote.
      fs::remove(pack);
      fs::remove(pack.string() + std::string(kSignatureSuffix));
    };
  };
  const auto unpacked = [](const World& w) {
    return fs::exists(w.dataDir + std::string(kEngineArchiverFile)) ||
           fs::exists(w.dataDir + std::string(kEngineArchiveFile)) ||
           fs::exists(w.dataDir + std::string(kEngineFolder));
  };
  for (const auto& [name, sign] : forgeries) {
    cases.push_back(Case{"Enginepack on the desktop with " + name, Doc::kEnginePath, [](HostileGateway&) {},
                         desktopPack(sign(AnnouncedPack())), [unpacked](World& w, Verdict& v) {
                           v.shown = "player " + w.state.appState.PlayerEngine + ", marks " + w.Marks();
                           v.Expect(w.state.appState.PlayerEngine == "ie", "not the legacy player");
                           v.Expect(w.steps.size() >= 4 && w.steps[3] == '0', "step 5 not ×");
                           v.Expect(!unpacked(w), "the pack was unpacked");
                         }});
  }
  // With its own signature the same pack is unpacked (here it holds no
  // archiver, so no engine comes of it).
  cases.push_back(Case{"Enginepack on the desktop signed by the release key", Doc::kEnginePath,
                       [](HostileGateway&) {}, desktopPack(SignatureOf(AnnouncedPack())),
                       [unpacked](World& w, Verdict& v) {
                         v.shown = std::string(unpacked(w) ? "unpacking began" : "not unpacked") + ", player " +
                                   w.state.appState.PlayerEngine;
                         v.Expect(unpacked(w), "the signed pack was not unpacked");
                       }});
  cases.push_back(Case{"Main: garbage with a new version", Doc::kMainPath,
                       [](HostileGateway& g) {
                         g.Set(Doc::kConfig, SealedDocument(WithVersion(g, std::to_string(kVersionNumber + 1))));
                         g.Set(Doc::kMainPath, Raw(std::string(200, '\xff')));
                       },
                       startup, [](World& w, Verdict& v) {
                         v.shown = Boxes(w) + ", marks " + w.Marks();
                         v.Expect(HasBox(w, "更新错误", "更新地址失效"), "no 更新错误 box");
                         v.Expect(w.ends == 1, "the process was not ended");
                         v.Expect(!fs::exists(w.dataDir + "program_updata_config"), "a hand-over was written");
                       }});
  cases.push_back(Case{"Engine: wrong types and unusable addresses", Doc::kEnginePath,
                       [](HostileGateway& g) {
                         g.Set(Doc::kEnginePath, Sealed(R"([{"url":"http://x"},null,true,-1,"javascript:x","ftp://127.0.0.1/p"])"));
                       },
                       [](World& w) {
                         fs::create_directories(w.dataDir + "Engine");
                         WriteBytes(w.dataDir + "Engine/cef.pak", "a damaged engine");
                         RunStartup(w);
                       }, [](World& w, Verdict& v) {
                         v.shown = Boxes(w) + ", marks " + w.Marks();
                         v.Expect(HasBox(w, "引擎环境无法自动下载", "下载地址无效。"), "no 下载地址无效 box");
                         v.Expect(w.steps.size() >= 4 && w.steps[3] == '0', "step 5 not ×");
                         v.Expect(!fs::exists(w.dataDir + "program_updata_config"), "a hand-over was written");
                       }});
  // The gateway's Date header.
  for (const auto& [name, line] : std::vector<std::pair<std::string, std::string>>{
           {"missing Date", ""}, {"garbage Date", "Date: yesterday, around noon \x01"}}) {
    cases.push_back(Case{name, Doc::kClock,
                         [line = line](HostileGateway& g) {
                           g.Set(Doc::kClock, [line](const RecordedRequest&, const Normal&) {
                             return Answer::Raw("HTTP/1.1 200 OK\r\n" + (line.empty() ? "" : line + "\r\n") +
                                                "Content-Length: 0\r\nConnection: close\r\n\r\n");
                           });
                         },
                         [](World& w) {
                           RunStartup(w);
                           w.SearchBoxes();
                           w.SongSearch();
                         },
                         [](World& w, Verdict& v) {
                           const auto list = w.controls.Get(kSongResultList);
                           v.shown = "marks " + w.Marks() + ", song list " + ListShown(list);
                           v.Expect(!w.steps.empty() && w.steps[0] == '1', "no configuration");
                           v.Expect(list.rows.size() == 20, "no page of songs");
                         }});
  }

  // Song search.
  auto songFailure = [](std::string name, std::function<void(HostileGateway&)> script,
                        std::chrono::seconds limit = 20s) {
    return Case{std::move(name), Doc::kSongSearch, std::move(script),
                [](World& w) {
                  w.SearchBoxes();
                  w.SongSearch();
                },
                [](World& w, Verdict& v) {
                  const auto list = w.controls.Get(kSongResultList);
                  v.shown = ListShown(list);
                  ExpectFailureDisplay(v, list);
                  v.Expect(w.state.SongRecords.empty(), "records kept");
                },
                limit};
  };
  cases.push_back(songFailure("empty answer", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Raw("")); }));
  cases.push_back(songFailure("garbage", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Raw("%%%% not base64 %%%%")); }));
  cases.push_back(songFailure("truncated Base64", [](HostileGateway& g) {
    g.Set(Doc::kSongSearch, [](const RecordedRequest&, const Normal& n) { return Http(200, n.wire.substr(0, n.wire.size() / 2 + 1)); });
  }));
  cases.push_back(songFailure("Base64 of non-JSON", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Sealed("Fatal error: out of memory")); }));
  cases.push_back(songFailure("HTTP 500", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Raw("<h1>Internal Server Error</h1>", 500)); }));
  cases.push_back(songFailure("10,000-deep nesting", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Sealed(SongPage(Nested(10000)))); }));
  cases.push_back(songFailure("connection reset mid-body", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Cut(true)); }));
  cases.push_back(songFailure("lying Content-Length", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Cut(false)); }));
  cases.push_back(songFailure("redirect loop", [](HostileGateway& g) { g.Set(Doc::kSongSearch, Loop(g, "/server_to_get.php")); }));
  cases.push_back(Case{"body that never ends (the DJ search meanwhile)", Doc::kSongSearch,
                       [](HostileGateway& g) { g.Set(Doc::kSongSearch, Endless()); },
                       [](World& w) {
                         w.SearchBoxes();
                         w.controls.SetText(kSongSearchBox, "林小雨");
                         OnSongFindClicked(w.search);
                         std::this_thread::sleep_for(1s);
                         // The other catalogue is not held up.
                         w.DjSearch();
                         w.note = w.songWorker.Running() ? "song still waiting" : "song over";
                         w.Wait(w.songWorker);
                       },
                       [](World& w, Verdict& v) {
                         const auto list = w.controls.Get(kSongResultList);
                         v.shown = ListShown(list) + "; DJ list " + ListShown(w.controls.Get(kDjResultList)) +
                                   " while the song search waited";
                         ExpectFailureDisplay(v, list);
                         v.Expect(w.note == "song still waiting", "the song search was over before the DJ one");
                         v.Expect(w.controls.Get(kDjResultList).rows.size() > 1, "the DJ search did not fill");
                       },
                       50s});
  // `rows` songs on the page; kEmptyPage: the empty-page display.
  constexpr size_t kEmptyPage = static_cast<size_t>(-1);
  auto songPage = [](std::string name, std::string page, size_t rows) {
    return Case{std::move(name), Doc::kSongSearch,
                [page](HostileGateway& g) { g.Set(Doc::kSongSearch, Sealed(page)); },
                [](World& w) {
                  w.SearchBoxes();
                  w.SongSearch();
                },
                [rows](World& w, Verdict& v) {
                  const auto list = w.controls.Get(kSongResultList);
                  v.shown = ListShown(list);
                  if (rows == static_cast<size_t>(-1)) {
                    ExpectEmptyPage(v, list);
                  } else {
                    ExpectSongRows(v, list, rows);
                    v.Expect(w.state.SongRecords.size() == rows, "records and rows differ");
                  }
                },
                60s};
  };
  const std::string one = "[" + SongJson("一") + "]";
  cases.push_back(songPage("counters as text", SongPage(one, "\"abc\""), kEmptyPage));
  cases.push_back(songPage("ListCount negative", SongPage(one, "-5"), kEmptyPage));
  cases.push_back(songPage("ListCount 2^31", SongPage(one, "2147483648"), 1));
  cases.push_back(songPage("ListCount 2^63 and beyond", SongPage(one, "99999999999999999999999"), 1));
  cases.push_back(songPage("List as an object (no rows are made up)", SongPage(R"({"a":)" + SongJson("x") + "}", "3"), 0));
  cases.push_back(songPage("ListCount larger than List", SongPage("[" + SongJson("一") + "," + SongJson("二") + "]", "50"), 2));
  cases.push_back(songPage("missing members", SongPage("[{},{}]", "2"), 2));
  cases.push_back(songPage("100,000-element List", SongPage(ManySmallSongs(100000), "100000"), 100000));
  cases.push_back(songPage("NUL, invalid UTF-8, lone surrogate in names",
                           SongPage("[" + SongJson("a\\u0000b", "\xff\xfe\xc0") + "," + SongJson("\\ud800x", "\\udfff") + "]", "2"), 2));
  cases.push_back(songPage("names with /, .., control characters, 5,000 characters",
                           SongPage("[" + SongJson("../../etc/passwd", "a/b\\u0007\\u001b[2J\\r\\n") + "," +
                                        SongJson(std::string(5000, 'n')) + "]", "2"), 2));
  // Song addresses, played and downloaded.
  auto played = [](std::string name, Doc doc, std::string answer, std::string bad) {
    return Case{std::move(name), doc,
                [doc, answer](HostileGateway& g) { g.Set(doc, Sealed(answer)); },
                [doc](World& w) {
                  w.SearchBoxes();
                  w.SongSearch();
                  if (doc == Doc::kSongUrl) {
                    PlaySong(w.search, 1, "ST");
                  } else {
                    w.controls.SetSelectedRow(kSongResultList, 0);
                    RunSongDownloadCommand(w.search, w.downloads, 2209);
                  }
                },
                [doc, bad](World& w, Verdict& v) {
                  if (doc == Doc::kSongUrl) {
                    v.Expect(w.host.pages.size() == 1, "no page played");
                    const std::string page = w.host.pages.empty() ? "" : w.host.pages.back();
                    const size_t at = page.find("<li><a");
                    v.shown = "page entry " + (at == std::string::npos ? std::string("none") : Clip(page.substr(at, page.find("</li>", at) - at), 50));
                    v.Expect(page.find(bad) == std::string::npos, "\"" + bad + "\" in the page");
                  } else {
                    v.shown = std::to_string(w.state.DownloadTasks.size()) + " tasks, " +
                              std::to_string(w.host.downloads.size()) + " downloads started";
                    v.Expect(w.host.downloads.empty(), "a download of an unusable address started");
                  }
                }};
  };
  cases.push_back(played("javascript: address", Doc::kSongUrl, R"J({"xy_100001":{"Songurl":"javascript:alert(document.cookie)"}})J", "javascript:"));
  cases.push_back(played("quotes in the address", Doc::kSongUrl,
                         R"J({"xy_100001":{"Songurl":"http://h/a.mp3' onclick='alert(1)"}})J", "' onclick='"));
  cases.push_back(played("Songurl as an object", Doc::kSongUrl, R"({"xy_100001":{"Songurl":{"a":"http://x"}}})", "{"));
  cases.push_back(played("garbage", Doc::kSongUrl, "<<garbage>>", "<<"));
  cases.push_back(played("javascript: video address", Doc::kMvUrl, R"J({"MVurl":"javascript:alert(1)"})J", ""));
  cases.push_back(played("file: video address", Doc::kMvUrl, R"({"MVurl":"file:///etc/passwd"})", ""));

  // DJ search and addresses.
  auto djFailure = [](std::string name, std::function<void(HostileGateway&)> script) {
    return Case{std::move(name), Doc::kDjSearch, std::move(script),
                [](World& w) {
                  w.SearchBoxes();
                  w.DjSearch();
                },
                [](World& w, Verdict& v) {
                  const auto list = w.controls.Get(kDjResultList);
                  v.shown = ListShown(list) + ", label \"" + w.controls.GetText(kDjPageLabel) + "\"";
                  ExpectFailureDisplay(v, list);
                  v.Expect(w.controls.GetText(kDjPageLabel) == kDjFailedLabel, "no 出错啦 label");
                  v.Expect(!w.controls.IsVisible(kDjInfoPanel), "info panel shown");
                }};
  };
  cases.push_back(djFailure("garbage", [](HostileGateway& g) { g.Set(Doc::kDjSearch, Raw("\x00\x01\x02 garbage")); }));
  cases.push_back(djFailure("HTTP 500", [](HostileGateway& g) { g.Set(Doc::kDjSearch, Raw("<h1>500</h1>", 500)); }));
  cases.push_back(djFailure("10,000-deep nesting", [](HostileGateway& g) { g.Set(Doc::kDjSearch, Sealed(MixPage(Nested(10000)))); }));
  cases.push_back(djFailure("connection reset mid-body", [](HostileGateway& g) { g.Set(Doc::kDjSearch, Cut(true)); }));
  cases.push_back(Case{"ListCount larger than List, List as an object", Doc::kDjSearch,
                       [](HostileGateway& g) {
                         g.Set(Doc::kDjSearch, Sealed(MixPage("[" + MixJson("7") + "," + MixJson("8") + "]", "1000")));
                       },
                       [](World& w) {
                         w.SearchBoxes();
                         w.DjSearch();
                       },
                       [](World& w, Verdict& v) {
                         const auto list = w.controls.Get(kDjResultList);
                         v.shown = ListShown(list);
                         v.Expect(list.columns.size() == 7 && list.rows.size() == 2, "not two mixes");
                       }});
  auto djUrl = [](std::string name, std::string answer) {
    return Case{std::move(name), Doc::kDjUrl, [answer](HostileGateway& g) { g.Set(Doc::kDjUrl, Sealed(answer)); },
                [](World& w) {
                  w.SearchBoxes();
                  w.DjSearch();
                  PlayDjEntry(w.search, 1, 0);
                },
                [](World& w, Verdict& v) {
                  const auto list = w.controls.Get(kDjResultList);
                  v.shown = ListShown(list) + ", ST \"" +
                            Clip(w.state.DjRecords.empty() ? "" : w.state.DjRecords[0].ST, 30) + "\"";
                  v.Expect(list.rows.size() > 1, "the mixes are not shown");
                  for (const std::string& page : w.host.pages)
                    v.Expect(page.find("javascript:") == std::string::npos && page.find("<img") == std::string::npos,
                             "a script address or markup in the page");
                }};
  };
  cases.push_back(djUrl("garbage", "not json"));
  cases.push_back(djUrl("members of wrong types", R"({"djyl_1":[1,2],"djyl_2":7,"djyl_3":{"HQ":{"x":1},"ST":[]}})"));
  cases.push_back(djUrl("javascript: and markup addresses",
                        [] {
                          std::string answer = "{";
                          for (int id = 1; id <= 400; ++id)
                            answer += (id > 1 ? "," : "") + ("\"djyl_" + std::to_string(id) +
                                       R"J(":{"HQ":"javascript:alert(1)","ST":"http://h/a.mp3'><img src=x onerror=alert(1)>"})J");
                          return answer + "}";
                        }()));

  // Media downloads: the size request of a song's file.
  auto media = [](std::string name, std::function<void(HostileGateway&)> script, bool hostileName = false) {
    return Case{std::move(name), Doc::kMedia, std::move(script),
                [hostileName](World& w) {
                  w.SearchBoxes();
                  w.SongSearch();
                  if (hostileName) {
                    w.state.SongRecords[0].SongName = "../../../" + std::string(5000, 'x') + "/\x01\x1b[2J\r\n";
                    w.state.SongRecords[0].SongArtists = "../a/b\\c";
                  }
                  w.controls.SetSelectedRow(kSongResultList, 0);
                  RunSongDownloadCommand(w.search, w.downloads, 2207);
                },
                [](World& w, Verdict& v) {
                  // A length beyond the free space is refused with the client's own box.
                  if (w.host.downloads.empty() && HasBox(w, "空间不足", "下载目录所在的磁盘空间不足")) {
                    v.shown = Boxes(w);
                    v.Expect(w.state.DownloadTasks.empty(), "a task without a download");
                    return;
                  }
                  v.Expect(w.state.DownloadTasks.size() == 1 && w.host.downloads.size() == 1, "no download started");
                  if (w.state.DownloadTasks.empty()) return;
                  const DownloadTask& task = w.state.DownloadTasks[0];
                  v.shown = "task \"" + Clip(task.FileName, 30) + "\" into " + fs::path(task.TempPath).filename().string();
                  v.Expect(fs::path(task.TempPath).parent_path().string() + "/" == w.state.appState.SavePath,
                           "the temporary file is not in the download folder");
                  v.Expect(task.FileName.find('/') == std::string::npos && !task.FileName.starts_with(".."),
                           "the file name leaves the folder");
                  v.Expect(task.FileName.size() < 1024, "a file name too long for any file system");
                }};
  };
  cases.push_back(media("lying Content-Length 2^31 + 1", [](HostileGateway& g) {
    g.Set(Doc::kMedia, [](const RecordedRequest&, const Normal&) {
      return Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: 2147483649\r\nConnection: close\r\n\r\n");
    });
  }));
  cases.push_back(media("redirect loop", [](HostileGateway& g) { g.Set(Doc::kMedia, Loop(g, "/media/loop")); }));
  cases.push_back(media("connection reset", [](HostileGateway& g) {
    g.Set(Doc::kMedia, [](const RecordedRequest&, const Normal&) {
      Answer answer = Answer::Raw("HTTP/1.1 200 OK\r\nContent-Le");
      answer.reset = true;
      return answer;
    });
  }));
  cases.push_back(media("HTTP 500", [](HostileGateway& g) { g.Set(Doc::kMedia, Raw("<h1>500</h1>", 500)); }));
  cases.push_back(media("names with /, .., control characters, 5,000 characters", [](HostileGateway&) {}, true));
  return cases;
}

// --- the run -------------------------------------------------------------------

TEST(HostileServer, EveryDocumentEveryCase) {
  const fs::path suite = SuiteRoot();
  // Whatever a flow would write to the user's folders lands in the suite's.
  for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DESKTOP_DIR"}) {
    const fs::path dir = suite / "home" / name;
    fs::create_directories(dir);
    setenv(name, name == std::string("HOME") ? (suite / "home").c_str() : dir.c_str(), 1);
  }
  const fs::path downloads = suite / "server-downloads";
  fs::create_directories(downloads);
  WriteBytes(downloads / "Update.exe", AnnouncedUpdater());
  WriteBytes(downloads / "Enginepack", AnnouncedPack());
  WriteBytes(downloads / "lark-bay", "a program release");
  // Signed as every release is: a case that breaks a download is refused
  // for what it broke, not for a missing signature.
  for (const char* file : {"Update.exe", "Enginepack", "lark-bay"})
    ASSERT_TRUE(SignBeside(downloads / file)) << "no demo key (LARKBAY_DEMO_KEY_FILE) for " << file;
  // The announced cef.pak is the empty file, which a missing one reads as:
  // the engine "runs" and the pages are the engine's, unless a case puts
  // another cef.pak in place.
  WriteBytes(downloads / "cef.pak.md5", Md5Hex("", false));
  HostileGateway gateway(downloads);
  Report report(REPORT_PATH, "Hostile server, core flows on in-memory controls");

  const std::vector<Case> cases = Cases();
  ASSERT_GE(cases.size(), 40u);
  const std::set<fs::path> before = Snapshot(suite);
  int failed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gateway.Clear();
    c.script(gateway);
    const PeakMeter meter;
    const auto start = std::chrono::steady_clock::now();
    Verdict verdict;
    {
      World world(gateway.Base());
      c.flow(world);
      c.check(world, verdict);
      // Nothing outside the client's folders.
      std::set<fs::path> now = Snapshot(suite);
      for (const fs::path& path : now) {
        if (before.contains(path)) continue;
        const std::string text = path.string();
        const auto under = [&](const fs::path& dir) { return text.starts_with(dir.string() + "/"); };
        if (under(world.root / "appdata/Lark-Bay") || under(world.root / "downloads") ||
            path == world.root || path == world.root / "appdata" ||
            path == world.root / "appdata/Lark-Bay" || path == world.root / "downloads" ||
            path == world.root / "Desktop")
          continue;
        verdict.Expect(false, "wrote " + text);
      }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::int64_t peakMb = meter.PeakMb(), growthMb = meter.GrowthMb();
    verdict.Expect(seconds <= static_cast<double>(c.limit.count()),
                   "took " + std::to_string(static_cast<int>(seconds)) + " s");
    verdict.Expect(growthMb <= kMemoryBoundMb, "memory grew by " + std::to_string(growthMb) + " MB");
    EXPECT_TRUE(verdict.pass) << DocName(c.doc) << ": " << c.name << ": " << verdict.why << " (shown: " << verdict.shown << ")";
    if (!verdict.pass) ++failed;
    report.Add({c.name, std::string(DocName(c.doc)), verdict.shown, verdict.pass ? "pass" : "FAIL: " + verdict.why,
                peakMb, growthMb, seconds});
  }
  report.Finish();
  fs::remove_all(suite);
  EXPECT_EQ(failed, 0);
}

}  // namespace
}  // namespace larkbay::hostile
