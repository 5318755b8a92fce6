#include "remote/updater_record.h"

#include <gtest/gtest.h>

#include "server_process.h"
#include "services/text/text_helpers.h"

namespace larkbay {
namespace {

UpdaterRecord SelfUpdate() {
  UpdaterRecord record;
  record.processId = 4321;
  record.address = "http://127.0.0.1:8731/go/lark-bay";
  record.saveFolder = "/home/用户/Lark-Bay/";
  record.fileName = "lark-bay";
  record.startProgram = "/home/用户/Lark-Bay/lark-bay";
  return record;
}

void ExpectSame(const UpdaterRecord& a, const UpdaterRecord& b) {
  EXPECT_EQ(a.processId, b.processId);
  EXPECT_EQ(a.address, b.address);
  EXPECT_EQ(a.saveFolder, b.saveFolder);
  EXPECT_EQ(a.fileName, b.fileName);
  EXPECT_EQ(a.startProgram, b.startProgram);
}

TEST(UpdaterRecord, FileIsOneGbkLineOfFiveFields) {
  test::TempFolder folder;
  const std::string path = (folder.Path() / "program_updata_config").string();
  const UpdaterRecord record = SelfUpdate();
  const std::string line =
      "4321|http://127.0.0.1:8731/go/lark-bay|/home/用户/Lark-Bay/|lark-bay|/home/用户/Lark-Bay/"
      "lark-bay";
  EXPECT_EQ(FormatUpdaterRecord(record), line);

  ASSERT_TRUE(WriteUpdaterRecord(path, record));
  const std::string bytes = test::ReadFile(path);
  EXPECT_EQ(bytes, TextToGbk(line));
  EXPECT_NE(bytes.find("\xD3\xC3\xBB\xA7"), std::string::npos) << "用户 in GBK";
  EXPECT_EQ(bytes.find('\n'), std::string::npos);

  UpdaterRecord read;
  ASSERT_TRUE(ReadUpdaterRecord(path, read));
  ExpectSame(read, record);

  // A later hand-over replaces the whole file.
  UpdaterRecord shorter = record;
  shorter.processId = 7;
  shorter.fileName = "Enginepack";
  ASSERT_TRUE(WriteUpdaterRecord(path, shorter));
  ASSERT_TRUE(ReadUpdaterRecord(path, read));
  ExpectSame(read, shorter);
}

TEST(UpdaterRecord, ParseTakesExactlyFiveFieldsWithAPid) {
  UpdaterRecord parsed;
  ASSERT_TRUE(ParseUpdaterRecord("1|a|b|c|d", parsed));
  EXPECT_EQ(parsed.processId, 1u);
  EXPECT_EQ(parsed.startProgram, "d");
  ASSERT_TRUE(ParseUpdaterRecord("2147483647|a|b|c|d\r\n", parsed)) << "trailing line break";
  EXPECT_EQ(parsed.processId, 2147483647u);
  EXPECT_EQ(parsed.startProgram, "d");

  const UpdaterRecord before = SelfUpdate();
  for (const char* bad : {"", "1|a|b|c", "1|a|b|c|d|e", "0|a|b|c|d", "-1|a|b|c|d", "+1|a|b|c|d",
                          " 1|a|b|c|d", "1x|a|b|c|d", "abc|a|b|c|d", "2147483648|a|b|c|d",
                          "99999999999999999999|a|b|c|d", "|a|b|c|d", "1||b|c|d", "1|a||c|d",
                          "1|a|b||d", "1|a|b|c|", "1|a|b|c|d\n\n", "1|a\nb|c|d|e"}) {
    UpdaterRecord out = before;
    EXPECT_FALSE(ParseUpdaterRecord(bad, out)) << bad;
    ExpectSame(out, before);
  }
}

TEST(UpdaterRecord, WriteRefusesWhatWouldNotReadBack) {
  test::TempFolder folder;
  const std::string path = (folder.Path() / "program_updata_config").string();
  ASSERT_TRUE(WriteUpdaterRecord(path, SelfUpdate()));
  const std::string good = test::ReadFile(path);

  auto with = [](auto change) {
    UpdaterRecord record = SelfUpdate();
    change(record);
    return record;
  };
  const UpdaterRecord bad[] = {
      with([](UpdaterRecord& r) { r.processId = 0; }),
      with([](UpdaterRecord& r) { r.address = "http://x/?a=1|2"; }),
      with([](UpdaterRecord& r) { r.saveFolder.clear(); }),
      with([](UpdaterRecord& r) { r.fileName = "lark\nbay"; }),
      with([](UpdaterRecord& r) { r.startProgram += "\r"; }),
  };
  for (const UpdaterRecord& record : bad) {
    EXPECT_FALSE(WriteUpdaterRecord(path, record)) << FormatUpdaterRecord(record);
  }
  EXPECT_EQ(test::ReadFile(path), good) << "a refused record leaves the old file";

  UpdaterRecord out;
  EXPECT_FALSE(ReadUpdaterRecord((folder.Path() / "missing").string(), out));
  EXPECT_FALSE(WriteUpdaterRecord((folder.Path() / "no-folder" / "record").string(), SelfUpdate()));
}

}  // namespace
}  // namespace larkbay
