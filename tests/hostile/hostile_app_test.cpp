// The real program against the hostile gateway, driven through its
// automation socket: a start-up whose configuration is garbage, a start-up
// whose recommended list is 10,000 levels deep, a search answer that is no
// document, a script address and markup in the player page under the
// engine, a download cut mid-body and one whose name climbs out of its
// folder, and a new version whose program the release key did not sign. Every copy runs with a scratch HOME, APPDATA and desktop under one
// root; what appeared elsewhere in it, and the program's peak resident
// memory (VmHWM), go into hostile-app-report.md.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>

#include "hostile_gateway.h"
#include "hostile_report.h"
#include "services/text/text_helpers.h"

#include <sys/socket.h>
#include <sys/un.h>

namespace larkbay::hostile {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// One running copy of lark-bay and its automation socket.
class Program {
 public:
  Program(const fs::path& root, const std::string& base, const std::string& binary = LARKBAY_APP_BINARY)
      : socket_((root / "automation.sock").string()) {
    pid_ = ::fork();
    if (pid_ == 0) {
      const fs::path home = root / "home";
      setenv("HOME", home.c_str(), 1);
      setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
      setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
      setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
      setenv("APPDATA", (root / "appdata").c_str(), 1);
      setenv("XDG_DESKTOP_DIR", (root / "Desktop").c_str(), 1);
      setenv("LARKBAY_API_BASE", base.c_str(), 1);
      setenv("LARKBAY_AUTOMATION", socket_.c_str(), 1);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
      setenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false;*.warning=false", 1);
      ::execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }
  ~Program() { End(); }

  // The command's value; "error: …" when it failed or nothing answered.
  std::string Ask(const std::vector<std::string>& words, std::chrono::milliseconds limit = 10s) {
    const auto start = Clock::now();
    if (fd_ < 0 && !Connect()) return "error: not connected";
    std::string line;
    for (const std::string& word : words) line += (line.empty() ? "" : "\t") + word;
    line += '\n';
    if (::send(fd_, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
      Disconnect();
      return "error: not connected";
    }
    std::string answer;
    char c = 0;
    while (Clock::now() - start < limit) {
      timeval wait{0, 200000};
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
      const ssize_t n = ::recv(fd_, &c, 1, 0);
      if (n == 0) break;
      if (n < 0) continue;
      if (c == '\n') {
        lastAnswerMs_ = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        const size_t tab = answer.find('\t');
        const std::string status = answer.substr(0, tab);
        std::string value = tab == std::string::npos ? "" : answer.substr(tab + 1);
        std::string out;
        for (size_t i = 0; i < value.size(); ++i) {
          if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
          } else {
            out += value[i];
          }
        }
        return status == "ok" ? out : "error: " + out;
      }
      answer += c;
    }
    Disconnect();
    return "error: no answer";
  }
  bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit = 90s) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
      if (done()) return true;
      std::this_thread::sleep_for(200ms);
    }
    return done();
  }
  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    return true;
  }
  std::int64_t PeakMb() const {
    return pid_ > 0 ? PeakMeter::Field("VmHWM:", "/proc/" + std::to_string(pid_) + "/status") / 1024 : lastPeakMb_;
  }
  // Keeps the peak for after the end.
  void NotePeak() {
    if (pid_ > 0) lastPeakMb_ = std::max(lastPeakMb_, PeakMb());
  }
  std::int64_t lastAnswerMs() const { return lastAnswerMs_; }
  void End() {
    Disconnect();
    if (pid_ <= 0) return;
    NotePeak();
    // The engine's helpers are this copy's children.
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string stat = ReadBytes(entry.path() / "stat");
      const size_t close = stat.rfind(')');
      if (close == std::string::npos) continue;
      std::istringstream fields(stat.substr(close + 2));
      std::string state;
      pid_t parent = 0;
      fields >> state >> parent;
      if (parent == pid_) ::kill(std::stoi(entry.path().filename().string()), SIGKILL);
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  bool Connect() {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket_.c_str());
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      Disconnect();
      return false;
    }
    return true;
  }
  void Disconnect() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  std::string socket_;
  pid_t pid_ = -1;
  int fd_ = -1;
  std::int64_t lastPeakMb_ = 0;
  std::int64_t lastAnswerMs_ = 0;
};

class HostileApp : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/larkbay-hostile-app-XXXXXX";
    root_ = mkdtemp(pattern);
    for (const char* dir : {"appdata", "Desktop", "home", "server"}) fs::create_directories(root_ / dir);
    fs::copy_file(LARKBAY_UPDATER_BINARY, root_ / "server/Update.exe");
    for (const char* file : {"Enginepack", "cef.pak.md5"})
      fs::copy_file(fs::path(LARKBAY_ENGINE_PACK_DIR) / file, root_ / "server" / file);
    for (const char* file : {"Update.exe", "Enginepack", "cef.pak.md5"})
      ASSERT_TRUE(SignBeside(root_ / "server" / file)) << "no demo key to sign " << file;
    gateway_ = std::make_unique<HostileGateway>(root_ / "server");
  }
  void TearDown() override {
    gateway_.reset();
    fs::remove_all(root_);
  }
  // New paths under the root outside the program's folders: APPDATA/Lark-Bay
  // and the download folder on the desktop (the engine pack it installs from
  // is taken away by the installation).
  std::string Strays(const std::set<fs::path>& before) {
    std::string strays;
    for (const fs::path& path : Snapshot(root_)) {
      if (before.contains(path)) continue;
      const std::string text = path.string();
      const auto within = [&](const fs::path& dir) { return text == dir.string() || text.starts_with(dir.string() + "/"); };
      if (within(root_ / "appdata/Lark-Bay") || within(root_ / "Desktop/下载目录") ||
          path == root_ / "automation.sock" || within(root_ / "home/.cache") || within(root_ / "home/.local/share/Lark-Bay"))
        continue;
      strays += (strays.empty() ? "" : ", ") + text.substr(root_.string().size());
    }
    return strays;
  }
  void Row(std::string name, Doc doc, std::string shown, bool pass, std::string why, std::int64_t peakMb,
           Clock::time_point start) {
    rows_.push_back({std::move(name), std::string(DocName(doc)), std::move(shown), pass ? "pass" : "FAIL: " + why,
                     peakMb, 0, std::chrono::duration<double>(Clock::now() - start).count()});
  }
  static void TearDownTestSuite() {
    Report report(REPORT_PATH, "Hostile server, the real program (lark-bay) through its automation socket");
    for (const ReportRow& row : rows_) report.Add(row);
    report.Finish();
  }

  fs::path root_;
  std::unique_ptr<HostileGateway> gateway_;
  static inline std::vector<ReportRow> rows_;
};

TEST_F(HostileApp, GarbageConfigurationEndsTheStartWithItsMessage) {
  const auto start = Clock::now();
  gateway_->Set(Doc::kConfig, [](const RecordedRequest&, const Normal&) {
    return Http(200, std::string(500, '\x01') + "<?php echo 'fatal'; ?>");
  });
  const std::set<fs::path> before = Snapshot(root_);
  Program program(root_, gateway_->Base());
  std::string box;
  EXPECT_TRUE(program.WaitFor([&] {
    box = program.Ask({"box"});
    return box.starts_with("失联！！！");
  }, 60s)) << box;
  EXPECT_NE(box.find("无法与Lark-Bay服务器进行通讯,请检测网络连接状态。"), std::string::npos) << box;
  program.NotePeak();
  // OK ends the program.
  const std::string answered = program.Ask({"answer", "确定"});
  EXPECT_TRUE(program.WaitFor([&] { return !program.Running(); }, 30s)) << answered;
  const std::string strays = Strays(before);
  EXPECT_EQ(strays, "");
  EXPECT_FALSE(fs::exists(root_ / "appdata/Lark-Bay/data/program_Config"));
  const bool pass = box.starts_with("失联！！！") && !program.Running() && strays.empty();
  Row("garbage configuration", Doc::kConfig, "box \"失联！！！\", then the program ended", pass,
      strays.empty() ? "the box or the end is missing" : "wrote " + strays, program.PeakMb(), start);
}

TEST_F(HostileApp, HostileListSearchPageAndDownloads) {
  auto start = Clock::now();
  const std::set<fs::path> before = Snapshot(root_);
  fs::copy_file(fs::path(LARKBAY_ENGINE_PACK_DIR) / "Enginepack", root_ / "Desktop/Enginepack");
  ASSERT_TRUE(SignBeside(root_ / "Desktop/Enginepack"));
  gateway_->Set(Doc::kMusicList, [](const RecordedRequest&, const Normal&) {
    const std::string doc = "{\"Muisc\":" + std::string(10000, '[') + std::string(10000, ']') + "}";
    return Http(200, HostileGateway::SealDocument(doc));
  });
  Program program(root_, gateway_->Base());
  std::string console;
  ASSERT_TRUE(program.WaitFor([&] {
    const std::string now = program.Ask({"text", "编辑框_控制台"});
    if (!now.starts_with("error")) console = now;
    return program.Ask({"ping"}) == "main";
  }, 120s)) << console;
  const bool crossed = console.find("推荐歌单->初始化\t×") != std::string::npos;
  EXPECT_TRUE(crossed) << console;
  EXPECT_EQ(program.Ask({"value", "PlayerEngine"}), "cef");
  Row("10,000-deep recommended list", Doc::kMusicList, crossed ? "console \"推荐歌单->初始化 ×\", main window up" : console,
      crossed && program.Ask({"ping"}) == "main", "no × for the list", program.PeakMb(), start);

  // A search answer that is no document: the failure display, and the
  // program answers while it waits for it.
  start = Clock::now();
  gateway_->Clear();
  gateway_->Set(Doc::kSongSearch, [](const RecordedRequest&, const Normal&) {
    Answer slow = Http(200, "\x89PNG garbage that is no Base64 of any document");
    slow.steps.insert(slow.steps.begin(), {std::chrono::milliseconds(3000), ""});
    return slow;
  });
  program.Ask({"tab", "1"});
  program.Ask({"settext", "Song_编辑框_搜索文本", "林小雨"});
  program.Ask({"click", "Song_按钮_查找"});
  std::this_thread::sleep_for(500ms);
  const bool answers = program.Ask({"ping"}) == "main" && program.lastAnswerMs() < 1000;
  std::string cell;
  const bool failed = program.WaitFor([&] {
    cell = program.Ask({"cell", "Song_超级列表框_搜索结果", "0", "0"});
    return cell == "错误内容：查找失败";
  }, 60s);
  EXPECT_TRUE(failed) << cell;
  EXPECT_TRUE(answers);
  Row("garbage song search answer (held 3 s)", Doc::kSongSearch, "row \"" + cell + "\", ping answered while waiting",
      failed && answers, "no failure display or no answer while waiting", program.PeakMb(), start);

  // Markup in the names and a script address: shown as text, nothing runs.
  start = Clock::now();
  gateway_->Clear();
  const std::string markup = "<img src=x onerror=\"window.__pwned=2\">";
  gateway_->Set(Doc::kSongSearch, [markup](const RecordedRequest&, const Normal& normal) {
    auto doc = nlohmann::ordered_json::parse(normal.document, nullptr, false);
    if (doc.is_object() && doc["List"].is_array() && !doc["List"].empty()) {
      doc["List"][0]["SongName"] = markup;
      doc["List"][0]["SongArtists"] = "'><script>window.__pwned=3</script>";
      doc["List"][1]["SongName"] = "../../../../escape/\x07\x1b[2J" + std::string(300, 'n');
    }
    return Http(200, HostileGateway::Seal(doc.dump()));
  });
  gateway_->Set(Doc::kSongUrl, [](const RecordedRequest&, const Normal& normal) {
    std::string doc = normal.document;
    const size_t at = doc.find("\"Songurl\":\"");
    if (at != std::string::npos) doc.replace(at + 11, doc.find('"', at + 11) - at - 11, "javascript:window.__pwned=1");
    return Http(200, HostileGateway::Seal(doc));
  });
  program.Ask({"settext", "Song_编辑框_搜索文本", "林小雨 "});
  program.Ask({"click", "Song_按钮_查找"});
  EXPECT_TRUE(program.WaitFor([&] { return program.Ask({"cell", "Song_超级列表框_搜索结果", "0", "1"}) == markup; }, 60s));
  program.Ask({"doubleclick", "Song_超级列表框_搜索结果", "0"});
  std::string shown;
  const bool asText = program.WaitFor([&] {
    shown = program.Ask({"eval", "document.querySelector('ul') ? document.querySelector('ul').textContent : ''"});
    return shown.find(markup) != std::string::npos;
  }, 60s);
  std::this_thread::sleep_for(1500ms);
  const std::string pwned = program.Ask({"eval", "String(window.__pwned)"});
  const std::string href = program.Ask({"eval", "document.querySelector('ul a') ? document.querySelector('ul a').getAttribute('href') : 'none'"});
  program.Ask({"eval", "document.querySelector('ul a') && document.querySelector('ul a').click(); 1"});
  std::this_thread::sleep_for(500ms);
  const std::string afterClick = program.Ask({"eval", "String(window.__pwned)"});
  EXPECT_TRUE(asText) << shown;
  EXPECT_EQ(pwned, "undefined");
  EXPECT_EQ(afterClick, "undefined");
  EXPECT_EQ(href.find("javascript:"), std::string::npos) << href;
  Row("javascript: Songurl, markup in name and artist, under the engine", Doc::kSongUrl,
      "entry shown as text \"" + shown.substr(0, 60) + "…\", href \"" + href + "\", window.__pwned " + afterClick,
      asText && pwned == "undefined" && afterClick == "undefined" && href.find("javascript:") == std::string::npos,
      "a script ran or the markup was not text", program.PeakMb(), start);

  // A download whose connection is reset mid-body: 下载错误 in the end, and
  // the program answers all the while. The script address of the case before
  // goes, or the download never reaches the file.
  start = Clock::now();
  gateway_->Clear();
  const int mediaBefore = gateway_->Hits(Doc::kMedia);
  gateway_->Set(Doc::kMedia, [](const RecordedRequest& request, const Normal& normal) {
    if (request.method == "HEAD")
      return Answer::Raw("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(normal.document.size()) +
                         "\r\nConnection: close\r\n\r\n");
    return ResetMidBody(normal.document, normal.document.size());
  });
  program.Ask({"select", "Song_超级列表框_搜索结果", "2"});
  program.Ask({"command", "2207"});
  std::string tasks;
  const bool errored = program.WaitFor([&] {
    tasks = program.Ask({"tasks"});
    return tasks.starts_with("2000|");
  }, 120s);
  const std::string state = program.Ask({"cell", "超级列表框_下载管理模块", "0", "4"});
  const std::string cause = program.Ask({"tooltip", "超级列表框_下载管理模块", "0", "4"});
  const bool reached = gateway_->Hits(Doc::kMedia) > mediaBefore;
  EXPECT_TRUE(reached) << "the download never asked for the file";
  EXPECT_TRUE(errored) << tasks;
  EXPECT_EQ(state, "下载错误");
  EXPECT_NE(cause.find("连接中断"), std::string::npos) << cause;
  Row("song file reset mid-body (every retry)", Doc::kMedia,
      "task state 2000, row \"" + state + "\", tooltip \"" + cause + "\"",
      reached && errored && state == "下载错误" && cause.find("连接中断") != std::string::npos,
      reached ? "no 下载错误 with its cause: " + tasks + " / " + cause : "the file was never asked for",
      program.PeakMb(), start);

  // A name that climbs out of the download folder: the file lands in it.
  start = Clock::now();
  gateway_->Clear();
  gateway_->Set(Doc::kSongSearch, [](const RecordedRequest&, const Normal& normal) {
    auto doc = nlohmann::ordered_json::parse(normal.document, nullptr, false);
    if (doc.is_object() && doc["List"].is_array())
      for (auto& song : doc["List"]) song["SongName"] = "../../../../escape/\x07\x1b[2J" + std::string(300, 'n');
    return Http(200, HostileGateway::Seal(doc.dump()));
  });
  // Another keyword, so the search is not the page on show.
  program.Ask({"settext", "Song_编辑框_搜索文本", "雨"});
  program.Ask({"click", "Song_按钮_查找"});
  EXPECT_TRUE(program.WaitFor([&] {
    return program.Ask({"cell", "Song_超级列表框_搜索结果", "0", "1"}).starts_with("../../../../escape/");
  }, 60s));
  program.Ask({"select", "Song_超级列表框_搜索结果", "0"});
  program.Ask({"command", "2205"});
  std::string file;
  const bool done = program.WaitFor([&] {
    tasks = program.Ask({"tasks"});
    const size_t line = tasks.rfind('\n', tasks.size() - 2);
    const std::string last = tasks.substr(line == std::string::npos ? 0 : line + 1);
    if (!last.starts_with("2002|")) return false;
    file = last.substr(5, last.find('|', 5) - 5);
    return true;
  }, 120s);
  const std::string folder = program.Ask({"value", "SavePath"});
  const bool inside = done && fs::path(file).parent_path().string() + "/" == folder && fs::exists(file) &&
                      folder.starts_with((root_ / "Desktop/下载目录").string());
  EXPECT_TRUE(inside) << file << " / " << folder << " / " << tasks;
  Row("song name \"../../../../escape/\\x07…\" (300 characters) downloaded", Doc::kSongSearch,
      "saved as \"" + fs::path(file).filename().string().substr(0, 40) + "…\" in the download folder", inside,
      "the file is not in the download folder: " + file, program.PeakMb(), start);

  program.End();
  const std::string strays = Strays(before);
  EXPECT_EQ(strays, "");
  Row("all of the above: files outside the program's folders", Doc::kMedia, strays.empty() ? "none" : strays,
      strays.empty(), "wrote " + strays, program.PeakMb(), start);
}

// The processes running `program` (by their /proc/<id>/exe).
std::vector<pid_t> Running(const fs::path& program) {
  std::vector<pid_t> found;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::error_code error;
    if (fs::read_symlink(entry.path() / "exe", error) == program)
      found.push_back(std::stoi(entry.path().filename().string()));
  }
  return found;
}

// A newer version announced, its program offered without the release key's
// signature: the updater the program hands it to refuses the file, so the
// installed program stays as it was and keeps running, and what was offered
// never runs (it would leave a mark if it did).
TEST_F(HostileApp, UnsignedNewProgramIsNeitherInstalledNorRun) {
  const fs::path mark = root_ / "the offered program ran";
  const std::string offered = "#!/bin/sh\ntouch '" + mark.string() + "'\n";
  const std::vector<std::pair<std::string, std::string>> signatures = {
      {"no signature", ""}, {"a signature by another key", SignatureOf(offered, kOtherKeyPem)}};
  for (const auto& [name, signature] : signatures) {
    SCOPED_TRACE(name);
    const auto start = Clock::now();
    for (const char* dir : {"appdata", "Desktop", "home", "install"}) {
      fs::remove_all(root_ / dir);
      fs::create_directories(root_ / dir);
    }
    // A copy of its own the updater may replace (never the build's program).
    const fs::path program = root_ / "install/lark-bay";
    fs::copy_file(LARKBAY_APP_BINARY, program);
    const std::string installed = ReadBytes(program);
    {
      std::ofstream(root_ / "server/lark-bay", std::ios::binary | std::ios::trunc) << offered;
    }
    fs::permissions(root_ / "server/lark-bay", fs::perms::owner_all, fs::perm_options::add);
    fs::remove(root_ / "server/lark-bay.sig");
    if (!signature.empty()) std::ofstream(root_ / "server/lark-bay.sig", std::ios::binary) << signature;

    gateway_->Clear();
    std::string config = gateway_->ConfigDocument();
    const std::string key = "\"version\":\"";
    const size_t at = config.find(key);
    ASSERT_NE(at, std::string::npos);
    config.replace(at + key.size(), config.find('"', at + key.size()) - at - key.size(), "2000000000");
    gateway_->Set(Doc::kConfig, [config](const RecordedRequest&, const Normal&) {
      return Http(200, HostileGateway::SealDocument(config));
    });
    // The offered file's signature is asked for, whatever the answer.
    std::atomic<int> signatureAsked{0};
    gateway_->Set(Doc::kPack, [&signatureAsked](const RecordedRequest& request, const Normal& normal) {
      if (normal.status == 302) return RedirectTo(normal.wire);
      if (request.target.ends_with("/lark-bay.sig")) ++signatureAsked;
      return normal.status == 200 ? Http(200, normal.document) : Http(404, "Not Found");
    });
    // No engine and no more asking for one: its hand-over would end this copy.
    fs::create_directories(root_ / "appdata/Lark-Bay");
    std::ofstream(root_ / "appdata/Lark-Bay/Config.ini", std::ios::binary)
        << "[Lark-Bay]\r\nHandedOverEngine=" << Md5Hex(ReadBytes(root_ / "server/Enginepack"), false)
        << "\r\nHandedOverEngineBadPacks=3\r\n";
    const std::set<fs::path> before = Snapshot(root_);
    Program copy(root_, gateway_->Base(), program.string());
    const fs::path updater = root_ / "appdata/Lark-Bay/Update.exe";
    // The hand-over: the updater fetched the signature, then is gone.
    const bool asked = copy.WaitFor([&] { return signatureAsked > 0; }, 60s);
    const bool updaterDone = copy.WaitFor([&] { return Running(updater).empty(); }, 30s);
    std::string ping;
    const bool up = copy.WaitFor([&] { return (ping = copy.Ask({"ping"})) == "main"; }, 60s);
    std::this_thread::sleep_for(2s);  // anything started from the offer would have run by now
    const bool kept = ReadBytes(program) == installed && !fs::exists(program.string() + ".sig");
    const bool ran = fs::exists(mark);
    const bool running = copy.Running();
    copy.End();
    for (const pid_t left : Running(updater)) ::kill(left, SIGKILL);
    EXPECT_TRUE(asked) << "the updater never asked for the program's signature";
    EXPECT_TRUE(updaterDone) << "the updater still runs";
    EXPECT_TRUE(up) << ping;
    EXPECT_TRUE(kept) << "the installed program was replaced";
    EXPECT_FALSE(ran) << "the offered program ran";
    EXPECT_TRUE(running) << "the installed program was ended";
    const std::string strays = Strays(before);
    EXPECT_EQ(strays, "");
    Row("new version 2000000000, program with " + name, Doc::kPack,
        std::string(kept ? "installed program kept" : "installed program REPLACED") +
            (ran ? ", the offer RAN" : ", the offer never ran") + (running ? ", still running" : ", ended") +
            (up ? ", main window up" : ""),
        asked && updaterDone && up && kept && !ran && running && strays.empty(),
        !asked ? "no signature was asked for" : strays.empty() ? "replaced, ran or ended" : "wrote " + strays,
        copy.PeakMb(), start);
  }
}

}  // namespace
}  // namespace larkbay::hostile
