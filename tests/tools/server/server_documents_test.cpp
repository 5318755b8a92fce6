// The configuration documents, their version stamps and the download addresses.
#include <gtest/gtest.h>

#include "demo_server_fixture.h"
#include "net/inet_request.h"
#include "services/json/json_object.h"
#include "services/text/text_helpers.h"

namespace larkbay::test {
namespace {

constexpr std::string_view kConfigScript = "Lark-Bay/Tool/Api/Config/program_Config.php";
constexpr std::string_view kAddressScript = "Lark-Bay/Tool/Api/Config/up-file-path.php";

struct Transport {
  std::string stamp;
  std::string document;
};

// The long answer: case swap, Base64, percent decoding; ten stamp characters,
// then the document.
bool OpenTransport(const std::string& raw, Transport& out) {
  if (raw.size() <= 50) return false;
  const std::string text = PercentDecode(Base64Decode(SwapLetterCase(raw)));
  if (text.size() < 10) return false;
  out.stamp = text.substr(0, 10);
  out.document = text.substr(10);
  return true;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

using ConfigDocumentTest = DemoServerTest;

TEST_F(ConfigDocumentTest, ProgramConfigAnnouncesServedFilesSitesAndVersion) {
  Transport answer;
  ASSERT_TRUE(
      OpenTransport(Ask(kConfigScript, "file_name=program_Config.json&file_Up_Time=", 0), answer));
  EXPECT_EQ(answer.stamp.size(), 10u);
  EXPECT_TRUE(AllDigits(answer.stamp)) << answer.stamp;

  JsonObject config;
  ASSERT_TRUE(config.Parse(answer.document)) << answer.document;
  EXPECT_EQ(config.GetText("Program.Updata.md5"), Md5Hex(kUpdaterBytes, false));
  EXPECT_EQ(config.GetText("Program.Engine.md5"), Md5Hex(kEnginePackBytes, false));
  EXPECT_EQ(config.GetText("Program.Engine.cef_32_md5"), kCefPakMd5);
  EXPECT_EQ(config.GetText("Program.Main.version"), "1600584000");

  struct Selector {
    const char* path;
    int atLeast;
  };
  for (const Selector& selector :
       {Selector{"DJ.DJ_Search_Type", 2}, Selector{"DJ.DJ_Search_Web", 2},
        Selector{"Song.Song_Search_Web", 3}}) {
    SCOPED_TRACE(selector.path);
    const int count = config.GetCount(selector.path);
    EXPECT_GE(count, selector.atLeast);
    for (int i = 0; i < count; ++i) {
      const JsonObject entry = config.GetItemObject(i, selector.path);
      EXPECT_FALSE(entry.GetText("key").empty());
      EXPECT_FALSE(entry.GetText("value").empty());
    }
  }
  // The number search of the DJ page needs its type code.
  EXPECT_NE(config.GetText("DJ.DJ_Search_Type", true).find("\"SongID\""), std::string::npos);
}

TEST_F(ConfigDocumentTest, CurrentStampGetsEmptyAnswerAndAnyOtherTheDocument) {
  for (const char* file : {"program_Config.json", "_MuiscList.json"}) {
    SCOPED_TRACE(file);
    const std::string ask = std::string("file_name=") + file + "&file_Up_Time=";
    Transport first;
    ASSERT_TRUE(OpenTransport(Ask(kConfigScript, ask, 0), first));
    EXPECT_EQ(Ask(kConfigScript, ask + first.stamp, 0), "");
    Transport again;
    ASSERT_TRUE(OpenTransport(Ask(kConfigScript, ask + "0000000001", 0), again));
    EXPECT_EQ(again.stamp, first.stamp);
    EXPECT_EQ(again.document, first.document);
  }
}

TEST_F(ConfigDocumentTest, UnknownDocumentGetsShortRefusal) {
  const std::string raw = Ask(kConfigScript, "file_name=secrets.json&file_Up_Time=", 0);
  EXPECT_FALSE(raw.empty());
  EXPECT_LE(raw.size(), 50u);
  EXPECT_FALSE(JsonObject().Parse(raw));
}

TEST_F(ConfigDocumentTest, RecommendedListEntriesArePlayable) {
  Transport answer;
  ASSERT_TRUE(
      OpenTransport(Ask(kConfigScript, "file_name=_MuiscList.json&file_Up_Time=", 0), answer));
  JsonObject list;
  ASSERT_TRUE(list.Parse(answer.document));
  const int count = list.GetCount("Muisc");
  EXPECT_GE(count, 10);
  for (int i = 0; i < count; ++i) {
    const JsonObject entry = list.GetItemObject(i, "Muisc");
    SCOPED_TRACE(entry.ToText());
    EXPECT_FALSE(entry.GetText("name").empty());
    EXPECT_FALSE(entry.GetText("artists").empty());
    const std::string url = entry.GetText("url");
    EXPECT_TRUE(url.starts_with(Base() + "/media/")) << url;
    EXPECT_EQ(ResolveDownloadUrl(url), url);
  }
}

TEST_F(ConfigDocumentTest, DownloadAddressesTakeOneRedirectToTheFile) {
  struct Case {
    const char* name;
    const char* file;
    const char* bytes;
  };
  for (const Case& c : {Case{"Updata", "Update.exe", kUpdaterBytes},
                        Case{"Engine", "Enginepack", kEnginePackBytes}}) {
    SCOPED_TRACE(c.name);
    JsonObject addresses;
    ASSERT_TRUE(addresses.Parse(Ask(kAddressScript, std::string("fileName=") + c.name)));
    ASSERT_EQ(addresses.GetCount(""), 2);
    const std::string direct = Base() + "/download/" + c.file;
    EXPECT_NE(addresses.GetItemText(0, ""), direct);  // the hop
    EXPECT_EQ(ResolveDownloadUrl(addresses.GetItemText(0, "")), direct);
    EXPECT_EQ(ResolveDownloadUrl(addresses.GetItemText(1, "")), direct);
    EXPECT_EQ(InetRequest(direct), c.bytes);
  }
  // No program file in the folder: no address.
  JsonObject none;
  ASSERT_TRUE(none.Parse(Ask(kAddressScript, "fileName=Main")));
  EXPECT_EQ(none.GetCount(""), 0);
}

}  // namespace
}  // namespace larkbay::test
