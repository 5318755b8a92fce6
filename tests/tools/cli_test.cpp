// Runs the built lark-bay-cli with given standard input and checks its
// standard output byte for byte, its exit status and its error line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Standard input, output and error go through files, so that no pipe can
// fill up and stall either side.
Outcome RunCli(const std::vector<std::string>& args, const std::string& input) {
  char dir[] = "/tmp/lark-bay-cli-test-XXXXXX";
  if (mkdtemp(dir) == nullptr) return {};
  const std::string in = std::string(dir) + "/in", out = std::string(dir) + "/out",
                    err = std::string(dir) + "/err";
  std::ofstream(in, std::ios::binary) << input;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv{const_cast<char*>(LARKBAY_CLI_PATH)};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  Outcome outcome;
  pid_t pid;
  if (posix_spawn(&pid, LARKBAY_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0) {
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) {
      outcome.status = WEXITSTATUS(wstatus);
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  outcome.out = ReadFile(out);
  outcome.err = ReadFile(err);
  for (const auto& path : {in, out, err}) std::remove(path.c_str());
  rmdir(dir);
  return outcome;
}

struct Case {
  std::vector<std::string> args;
  std::string input;
  std::string output;
};

using namespace std::string_literals;

const std::string kDocument =
    R"({"a":1,"List":[{"x":"中"},{"x":"y"}],"s":"t","t":["p","q"],"data":"d"})";

TEST(LarkBayCli, CommandsWriteExactBytes) {
  const Case cases[] = {
      {{"base64", "encode"}, "Man", "TWFu\n"},
      {{"base64", "encode"}, "\0\xff\n"s, "AP8K\n"},
      {{"base64", "encode"}, "", "\n"},
      {{"base64", "decode"}, "AP8K", "\0\xff\n"s},
      {{"base64", "decode"}, "TWFu\r\n", "Man"},
      {{"swapcase"}, "AbC 中\n", "aBc 中\n\n"},
      {{"md5"}, "", "d41d8cd98f00b204e9800998ecf8427e\n"},
      {{"md5"}, "\0"s, "93b885adfe0da089cdf634904fd59f71\n"},
      {{"md5", "--upper"}, "abc", "900150983CD24FB0D6963F7D28E17F72\n"},
      {{"utf8-to-gbk"},
       "中文A\n",
       "\xd6\xd0\xce\xc4"
       "A\n"},
      {{"gbk-to-utf8"},
       "\xd6\xd0\xce\xc4"
       "A\n",
       "中文A\n"},
      {{"json", "text"}, kDocument, kDocument + "\n"},
      {{"json", "text"}, "", "{}\n"},
      {{"json", "get", "a"}, kDocument, "1\n"},
      {{"json", "get", "data"}, kDocument, "d\n"},
      {{"json", "get", "List", "--json"},
       kDocument,
       R"([{"x":"中"},{"x":"y"}])"
       "\n"},
      {{"json", "get", "List"}, kDocument, "[object Object],[object Object]\n"},
      {{"json", "get", "missing"}, kDocument, "\n"},
      {{"json", "count", "List"}, kDocument, "2\n"},
      {{"json", "count", ""}, kDocument, "0\n"},
      {{"json", "names", ""}, kDocument, "a\nList\ns\nt\ndata\n"},
      {{"json", "names", "a"}, kDocument, ""},
      {{"json", "item", "1", "t"}, kDocument, "q\n"},
      {{"json", "item", "0", "t", "--json"}, kDocument, "\"p\"\n"},
      {{"json", "itemobj", "0", "List"},
       kDocument,
       R"({"x":"中"})"
       "\n"},
      {{"json", "set", "s", "a\\b"},
       R"({"s":1})",
       R"({"s":"a\b"})"
       "\n"},
      {{"json", "parse"}, kDocument, "true\n"},
      {{"json", "parse"}, "", "false\n"},
      {{"download", "temp-name", "20000", "a.mp3"}, "", "55c07ec6d5b054dbe5e718fe2afaee2d.MT\n"},
      {{"download", "url-ext", "http://h/a.mp3?b=c.d"}, "", ".mp3\n"},
      {{"download", "url-ext", "http://h/a"}, "", "\n"},
      {{"download", "size-text", "3670016"}, "", "3.50MB\n"},
      {{"download", "file-name", "../AC/DC\x01"}, "", "_AC_DC_\n"},
      {{"download", "final-name", "/nonexistent-larkbay", "a.mp3"}, "", "/nonexistent-larkbay/a.mp3\n"},
      // A document that does not parse: the operation runs on what Parse left.
      {{"json", "parse"}, "{\"a\":", "false\n"},
      {{"json", "text"}, "{\"a\":", "null\n"},
      {{"json", "count", ""}, "[1,2", "0\n"},
      {{"json", "set", "a", "1"}, "{bad", "null\n"},
      {{"playlist-entry", "http://h/a.mp3", "B", "A"},
       "",
       "<li><a href='http://h/a.mp3'><b>B</b> - A</a></li>\r\n"},
      {{"playlist-entry", "javascript:alert(1)", "<script>", "'x'"},
       "",
       "<li><a href=''><b>&lt;script&gt;</b> - &#39;x&#39;</a></li>\r\n"},
      {{"page-digest"}, "<b>周杰伦</b> - 晴天", "0aa5078be82f221c77c509b5b2beaaa0\n"},
      {{"percent-decode"}, "%41%4a%4A+%zz%4", "AJJ+%zz%4"},
      {{"percent-decode"}, "%E4%B8%AD%FF", "中\xff"},
      {{"percent-decode", "--utf8"}, "%E4%B8%AD", "中"},
      {{"percent-decode", "--utf8"}, "a%FFb", "a\uFFFDb"},  // not UTF-8: U+FFFD
      {{"cache", "stamp"}, "too short", "\n"},
      {{"query", "song", "--site", "xy", "--key", "音乐 a"},
       "",
       "web=xy&type=Search&key=%E9%9F%B3%E4%B9%90%20a&page=1&br=ST&mid=\n"},
      {{"query", "song", "--site", "yq", "--key", "x", "--page", "3", "--br", "HQ", "--mid", "m"},
       "",
       "web=yq&type=Search&key=x&page=3&br=HQ&mid=m\n"},
      {{"query", "dj", "--site", "djyl", "--type", "SongID", "--key", "0042"},
       "",
       "web=djyl&type=SongID&Sort=asc&key=0042&page=1\n"},
      {{"query", "dj", "--site", "djyl", "--type", "SongName", "--key", "#all", "--sort", "desc",
        "--page", "2"},
       "",
       "web=djyl&type=SongName&Sort=desc&key=%23all&page=2\n"},
      {{"query", "encode"}, "a_b~/ 中", "a%5Fb%7E%2F%20%E4%B8%AD\n"},
  };
  for (const auto& c : cases) {
    std::string trace;
    for (const auto& arg : c.args) trace += arg + " ";
    SCOPED_TRACE(trace);
    const Outcome outcome = RunCli(c.args, c.input);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, c.output);
    EXPECT_EQ(outcome.err, "");
  }
}

TEST(LarkBayCli, BadUsageGivesOneErrorLine) {
  const std::vector<std::string> cases[] = {
      {},
      {"nosuchcommand"},
      {"base64"},
      {"base64", "encrypt"},
      {"md5", "--lower"},
      {"swapcase", "x"},
      {"json"},
      {"json", "bogus"},
      {"json", "get"},
      {"json", "get", "a", "--xml"},
      {"json", "item", "x", "List"},
      {"json", "item", "1"},
      {"json", "set", "a"},
      {"json", "names"},
      {"player-page"},
      {"player-page", "--engine"},
      {"player-page", "--asset-root", "http://r/"},
      {"player-page", "--engine", "cef", "--bogus", "1"},
      {"playlist-entry", "u", "b"},
      {"page-digest", "x"},
      {"percent-decode", "--gbk"},
      {"cache"},
      {"cache", "encode"},
      {"cache", "stamp", "x"},
      {"cache", "decode"},
      {"download"},
      {"download", "size-text", "-1"},
      {"download", "temp-name", "1"},
      {"download", "final-name", "/tmp"},
  };
  for (const auto& args : cases) {
    std::string trace;
    for (const auto& arg : args) trace += arg + " ";
    SCOPED_TRACE(trace);
    const Outcome outcome = RunCli(args, kDocument);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    ASSERT_FALSE(outcome.err.empty());
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
  }
}

// The page goes out as GB18030 bytes; without --asset-root the root follows
// LARKBAY_API_BASE.
TEST(LarkBayCli, PlayerPageWritesThePageBytes) {
  const Outcome ie =
      RunCli({"player-page", "--engine", "ie", "--asset-root", "http://r:1/"}, "http://h/中.mp3");
  EXPECT_EQ(ie.status, 0);
  EXPECT_EQ(ie.err, "");
  EXPECT_TRUE(ie.out.starts_with("<!DOCTYPE html>\r\n<html lang=\"zh-CN\">\r\n")) << ie.out;
  EXPECT_TRUE(ie.out.ends_with("\r\n</body>\r\n</html>")) << ie.out;
  EXPECT_NE(ie.out.find("    <script src=\"http://r:1/newbox/js/html5media.min.js\"></script>\r\n"),
            std::string::npos);
  EXPECT_NE(ie.out.find("<audio id=\"music\" src=\"http://h/\xd6\xd0.mp3\" "), std::string::npos);

  const char* saved = std::getenv("LARKBAY_API_BASE");
  const std::string savedValue = saved != nullptr ? saved : "";
  setenv("LARKBAY_API_BASE", "https://api.example:4443/gateway", 1);
  const Outcome cef = RunCli({"player-page", "--engine", "cef"}, "<li>x</li>");
  if (saved != nullptr) {
    setenv("LARKBAY_API_BASE", savedValue.c_str(), 1);
  } else {
    unsetenv("LARKBAY_API_BASE");
  }
  EXPECT_EQ(cef.status, 0);
  EXPECT_NE(cef.out.find("src=\"https://api.example:4443/soundmanager2/script/bar-ui.js\""),
            std::string::npos)
      << cef.out;
  EXPECT_NE(cef.out.find("<ul class=\"sm2-playlist-bd\"><li>x</li></ul></div>\r\n"),
            std::string::npos);
}

// A cache file gives back its stamp and document; one changed byte of the
// digest or of the document and the stamp is refused (the digest covers only
// what follows the stamp).
TEST(LarkBayCli, CacheFileRoundTrip) {
  const std::string document = R"({"Main":{"version":"1600584000"},"名":"中文"})";
  const Outcome file = RunCli({"cache", "encode", "1700000000"}, document);
  ASSERT_EQ(file.status, 0) << file.err;
  ASSERT_GT(file.out.size(), 42u);
  EXPECT_EQ(file.out.substr(32, 10), "1700000000");
  EXPECT_EQ(RunCli({"cache", "stamp"}, file.out).out, "1700000000\n");
  EXPECT_EQ(RunCli({"cache", "document"}, file.out).out, document);

  for (const size_t at : {size_t{0}, size_t{31}, size_t{42}, file.out.size() - 1}) {
    std::string damaged = file.out;
    damaged[at] = damaged[at] == 'A' ? 'B' : 'A';
    const Outcome stamp = RunCli({"cache", "stamp"}, damaged);
    EXPECT_EQ(stamp.status, 0);
    EXPECT_EQ(stamp.out, "\n") << "byte " << at;
  }
}

TEST(LarkBayCli, HelpListsTheCommands) {
  const Outcome outcome = RunCli({"--help"}, "");
  EXPECT_EQ(outcome.status, 0);
  for (const char* command :
       {"base64", "swapcase", "md5", "utf8-to-gbk", "gbk-to-utf8", "json", "player-page",
        "playlist-entry", "page-digest", "percent-decode", "cache"}) {
    EXPECT_NE(outcome.out.find(std::string("\n  ") + command), std::string::npos) << command;
  }
}

}  // namespace
