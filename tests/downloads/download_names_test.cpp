// The names a download goes by, from the server's texts to the file on disk.
#include "downloads/download_names.h"

#include <gtest/gtest.h>

#include <set>

#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

TEST(DownloadNames, TempNameIsTheDigestOfLengthAndName) {
  EXPECT_EQ(TempFileName("4096", "[高品] 林小雨 - 晴天.mp3"),
            Md5Hex(TextToGbk("4096[高品] 林小雨 - 晴天.mp3"), false) + ".MT");
  EXPECT_NE(TempFileName("", "a.mp3"), TempFileName("1", "a.mp3"));
}

TEST(DownloadNames, ExtensionComesFromThePathBeforeTheQuery) {
  const struct {
    const char* url;
    const char* ext;
  } cases[] = {
      {"http://h/media/a-hq.mp3", ".mp3"},
      {"http://h/media/a.mp3?x=1.flac&y=2.webm", ".mp3"},
      {"http://h/media.v2/file", ""},
      {"http://h/get?file=song.mp3", ""},
      {"http://h/a.tar.gz", ".gz"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlExtension(c.url), c.ext) << c.url;
}

TEST(DownloadNames, SizeTextHasTwoDecimalsAndMB) {
  EXPECT_EQ(SizeText(3670016), "3.50MB");
  EXPECT_EQ(SizeText(0), "0.00MB");
  EXPECT_EQ(SizeText(-1), "0.00MB");
  EXPECT_EQ(SizeText(10239), "0.01MB");
  EXPECT_EQ(SizeText(1048576LL * 1024), "1024.00MB");
  EXPECT_EQ(SizeText(5242), "0.00MB");   // 0.004999 MiB
  EXPECT_EQ(SizeText(5243), "0.01MB");   // 0.005000 MiB
  EXPECT_EQ(SizeText(INT64_MAX), "8796093022208.00MB");
}

TEST(DownloadNames, SafeFileNameStaysInsideTheFolderAndKeepsItsCharacters) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"[高品] 林小雨 - 晴天", "[高品] 林小雨 - 晴天"},
      {"../../etc/passwd", "_.._etc_passwd"},
      {"AC/DC - Back\\In", "AC_DC - Back_In"},
      {"..", "_"},
      {"   ", "_"},
      {"", "_"},
      {".hidden", "hidden"},
      {std::string("a\x01" "b\x1b[31m\x7f" "c\nd", 12), "a_b_[31m_c_d"},
      {"\xC2\x85" "x", "_x"},                      // a C1 control character
      {"歌\xff名", "歌\xEF\xBF\xBD名"},            // invalid UTF-8 becomes U+FFFD
      {"きらり 🎵 Ünïcode", "きらり 🎵 Ünïcode"},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFileName(c.in), c.out) << c.in;

  std::string longName;
  for (int i = 0; i < 300; ++i) longName += "晴";  // 900 bytes
  const std::string cut = SafeFileName(longName, 10);
  EXPECT_LE(cut.size(), kMaxFileNameBytes - 10);
  EXPECT_EQ(cut.size() % 3, 0u) << "cut inside a character";
  EXPECT_EQ(SanitizeUtf8(cut), cut);
}

TEST(DownloadNames, SafeExtensionDropsWhatIsNoExtension) {
  EXPECT_EQ(SafeExtension(".mp3"), ".mp3");
  EXPECT_EQ(SafeExtension(""), "");
  EXPECT_EQ(SafeExtension("."), "");
  EXPECT_EQ(SafeExtension(".a\x01" "b"), ".a_b");
  EXPECT_EQ(SafeExtension("." + std::string(40, 'x')), "");
  EXPECT_EQ(SafeExtension("." + std::string(31, 'x')), "." + std::string(31, 'x'));
  // Short as it came, but three bytes a byte once invalid bytes are U+FFFD.
  EXPECT_EQ(SafeExtension("." + std::string(12, '\xff')), "");
  EXPECT_EQ(SafeExtension(".\xff" "3"), ".\xEF\xBF\xBD" "3");
}

TEST(DownloadNames, FinalPathCountsUpWhileTaken) {
  std::set<std::string> taken;
  auto exists = [&](const std::string& path) { return taken.count(path) > 0; };
  EXPECT_EQ(FinalPath("/d/", "a - b.mp3", exists), "/d/a - b.mp3");
  taken = {"/d/a - b.mp3", "/d/a - b(1).mp3"};
  EXPECT_EQ(FinalPath("/d/", "a - b.mp3", exists), "/d/a - b(2).mp3");
  taken = {"/d/noext"};
  EXPECT_EQ(FinalPath("/d/", "noext", exists), "/d/noext(1)");
}

}  // namespace
}  // namespace larkbay
