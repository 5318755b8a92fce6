// Builds a real engine pack with lark-bay-enginepack, cuts the engine archive
// out of it and extracts it with Engine.exe the way the client starts it.
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "remote/engine_pack.h"
#include "services/text/text_helpers.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xff);
  return bytes;
}

fs::path MakeTempDir() {
  char dir[] = "/tmp/lark-bay-archiver-test-XXXXXX";
  return mkdtemp(dir) != nullptr ? fs::path(dir) : fs::path();
}

// Output and error go through files so that no pipe can stall either side.
Outcome RunProgram(const char* binary, const std::vector<std::string>& args,
                   const fs::path& scratch) {
  const std::string out = (scratch / "stdout").string(), err = (scratch / "stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv{const_cast<char*>(binary)};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  Outcome outcome;
  pid_t pid;
  if (posix_spawn(&pid, binary, &actions, nullptr, argv.data(), environ) == 0) {
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
      outcome.status = WEXITSTATUS(wstatus);
  }
  posix_spawn_file_actions_destroy(&actions);
  outcome.out = ReadFile(out);
  outcome.err = ReadFile(err);
  fs::remove(out);
  fs::remove(err);
  return outcome;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

int CountRegularFiles(const fs::path& dir) {
  int count = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file()) ++count;
  }
  return count;
}

struct Entry {
  std::string name;
  mode_t type = AE_IFREG;
  std::string data;      // contents of a file
  std::string link;      // target of a symbolic link
  std::string hardlink;  // target of a hard link
};

// An unencrypted archive written with libarchive, as a hostile packer could.
// (Read as a stream, a zip cannot tell a link from a file: links go in a tar.)
Entry File(std::string name, std::string data) {
  Entry e;
  e.name = std::move(name);
  e.data = std::move(data);
  return e;
}
Entry Symlink(std::string name, std::string target) {
  Entry e;
  e.name = std::move(name);
  e.type = AE_IFLNK;
  e.link = std::move(target);
  return e;
}
Entry Hardlink(std::string name, std::string target) {
  Entry e;
  e.name = std::move(name);
  e.hardlink = std::move(target);
  return e;
}

void WriteArchive(const fs::path& path, bool zip, const std::vector<Entry>& entries) {
  archive* a = archive_write_new();
  if (zip) {
    archive_write_set_format_zip(a);
  } else {
    archive_write_set_format_pax_restricted(a);
  }
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const Entry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_filetype(entry, e.type);
    archive_entry_set_perm(entry, 0644);
    if (!e.link.empty()) archive_entry_set_symlink(entry, e.link.c_str());
    if (!e.hardlink.empty()) archive_entry_set_hardlink(entry, e.hardlink.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(e.data.size()));
    ASSERT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << e.name;
    if (!e.data.empty()) archive_write_data(a, e.data.data(), e.data.size());
    archive_entry_free(entry);
  }
  archive_write_close(a);
  archive_write_free(a);
}

class ArchiverRunTest : public ::testing::Test {
 protected:
  // One pack for the whole suite: building it writes about 30 MB.
  static void SetUpTestSuite() {
    shared_ = MakeTempDir();
    ASSERT_FALSE(shared_.empty());
    engine_ = shared_ / "engine";
    files_ = {{"libfoo.so", RandomBytes(300'000, 1)},
              {"cef.pak", RandomBytes(20'000, 2) + std::string(5000, 'x')},
              {"locales/en-US.pak", "en-US"}};
    for (const auto& [name, bytes] : files_) WriteFile(engine_ / name, bytes);
    pack_ = shared_ / "Enginepack";
    packRun_ = RunProgram(LARKBAY_ENGINEPACK_BINARY,
                          {"--archiver", LARKBAY_ARCHIVER_BINARY, "--engine-dir", engine_.string(),
                           "--out", pack_.string()},
                          shared_);
    const std::string pack = ReadFile(pack_);
    const auto range = larkbay::EnginePackPieceRange(larkbay::EnginePackPiece::kEngineArchive);
    if (pack.size() >= range.offset) WriteFile(shared_ / "Engine.cef", pack.substr(range.offset));
  }
  static void TearDownTestSuite() { fs::remove_all(shared_); }

  void SetUp() override {
    dir_ = MakeTempDir();
    ASSERT_FALSE(dir_.empty());
    ASSERT_EQ(packRun_.status, 0) << packRun_.err;
  }
  void TearDown() override { fs::remove_all(dir_); }

  static Outcome Extract(const fs::path& archive, const fs::path& dest,
                         const std::string& overwrite, const std::string& password) {
    std::vector<std::string> args{"x", "-iext", "-ow", overwrite, archive.string(), dest.string()};
    if (!password.empty()) args.push_back(password);
    return RunProgram(LARKBAY_ARCHIVER_BINARY, args, shared_);
  }
  static std::string PasswordOption() {
    return "-p" + std::string(larkbay::kEngineArchivePassword);
  }

  static inline fs::path shared_, engine_, pack_;
  static inline std::vector<std::pair<std::string, std::string>> files_;
  static inline Outcome packRun_;
  fs::path dir_;
};

TEST_F(ArchiverRunTest, PackHoldsTheArchiverTwiceAndPrintsItsDigests) {
  const std::string pack = ReadFile(pack_);
  ASSERT_EQ(pack.size(), larkbay::kEnginePackLength);
  const std::string archiver = ReadFile(LARKBAY_ARCHIVER_BINARY);
  for (const auto piece :
       {larkbay::EnginePackPiece::kArchiver32, larkbay::EnginePackPiece::kArchiver64}) {
    const auto range = larkbay::EnginePackPieceRange(piece);
    const std::string bytes = pack.substr(range.offset, range.length);
    EXPECT_EQ(bytes.substr(0, archiver.size()), archiver);
    EXPECT_EQ(bytes.find_first_not_of('\0', archiver.size()), std::string::npos);
  }
  EXPECT_EQ(pack.compare(1'175'984, 2, "PK"), 0);
  EXPECT_EQ(Lines(packRun_.out),
            (std::vector<std::string>{"md5 " + larkbay::Md5Hex(pack, false),
                                      "cef_32_md5 " + larkbay::Md5Hex(files_[1].second, false)}));
  // The engine files are not stored in the clear.
  EXPECT_EQ(pack.find(files_[0].second.substr(1000, 64)), std::string::npos);
}

TEST_F(ArchiverRunTest, ExtractsThePaddedEngineArchiveByteForByte) {
  const fs::path dest = dir_ / "data" / "Engine";
  const Outcome run = Extract(shared_ / "Engine.cef", dest.string() + "/", "-o+", PasswordOption());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const auto& [name, bytes] : files_) EXPECT_EQ(ReadFile(dest / name), bytes) << name;
  EXPECT_EQ(CountRegularFiles(dest), static_cast<int>(files_.size()));
}

TEST_F(ArchiverRunTest, KeepsExistingFilesOnlyWithoutOverwrite) {
  const fs::path dest = dir_ / "Engine";
  ASSERT_EQ(Extract(shared_ / "Engine.cef", dest, "-o+", PasswordOption()).status, 0);
  WriteFile(dest / "cef.pak", "local copy");
  fs::remove(dest / "libfoo.so");

  const Outcome keep = Extract(shared_ / "Engine.cef", dest, "-o-", PasswordOption());
  EXPECT_EQ(keep.status, 0) << keep.err;
  EXPECT_EQ(ReadFile(dest / "cef.pak"), "local copy");
  EXPECT_EQ(ReadFile(dest / "libfoo.so"), files_[0].second);  // missing ones still come

  const Outcome replace = Extract(shared_ / "Engine.cef", dest, "-o+", PasswordOption());
  EXPECT_EQ(replace.status, 0) << replace.err;
  EXPECT_EQ(ReadFile(dest / "cef.pak"), files_[1].second);
}

TEST_F(ArchiverRunTest, WrongOrMissingPasswordFailsAndLeavesNoFile) {
  for (const std::string password : {"-p731805265", "-p", ""}) {
    const fs::path dest = dir_ / ("Engine" + password);
    const Outcome run = Extract(shared_ / "Engine.cef", dest, "-o+", password);
    EXPECT_NE(run.status, 0) << password;
    ASSERT_FALSE(Lines(run.err).empty()) << password;
    for (const std::string& line : Lines(run.err)) {
      EXPECT_EQ(line.rfind("Engine.exe: ", 0), 0u) << line;
    }
    EXPECT_EQ(CountRegularFiles(dest), 0) << password;
  }
}

TEST_F(ArchiverRunTest, RefusesEntriesThatLandOutsideTheDestination) {
  const fs::path dest = dir_ / "dest";
  const std::string absolute = "/tmp/lark-bay-archiver-abs-" + std::to_string(getpid());
  fs::create_directories(dir_ / "outside");
  WriteFile(dir_ / "secret", "secret");
  // A link that is already in the destination must not be written through.
  fs::create_directories(dest);
  fs::create_directory_symlink(dir_ / "outside", dest / "escape");

  WriteArchive(dir_ / "evil.zip", true,
               {File("ok.txt", "fine"), File("../evil", "evil"), File("sub/../../evil2", "evil"),
                File(absolute, "evil"), File("escape/planted", "evil")});
  const Outcome zip = Extract(dir_ / "evil.zip", dest, "-o+", "");
  EXPECT_EQ(zip.status, 1);
  EXPECT_EQ(ReadFile(dest / "ok.txt"), "fine");
  EXPECT_FALSE(fs::exists(dir_ / "evil"));
  EXPECT_FALSE(fs::exists(dir_ / "evil2"));
  EXPECT_FALSE(fs::exists(absolute));
  EXPECT_FALSE(fs::exists(dir_ / "outside" / "planted"));
  EXPECT_EQ(Lines(zip.err).size(), 4u) << zip.err;
  for (const std::string name : {"../evil", "sub/../../evil2", "escape/planted"}) {
    EXPECT_NE(zip.err.find("Engine.exe: " + name + ": "), std::string::npos) << name;
  }
  EXPECT_NE(zip.err.find(absolute), std::string::npos);

  WriteArchive(dir_ / "evil.tar", false,
               {Hardlink("hl", "../secret"), Symlink("up", "../outside"), Symlink("etc", "/etc"),
                Symlink("in", "ok.txt"), File("ok2.txt", "fine")});
  const Outcome tar = Extract(dir_ / "evil.tar", dest, "-o+", "");
  EXPECT_EQ(tar.status, 1);
  EXPECT_EQ(Lines(tar.err).size(), 3u) << tar.err;
  for (const std::string name : {"hl", "up", "etc"}) {
    EXPECT_NE(tar.err.find("Engine.exe: " + name + ": "), std::string::npos) << name;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dest / name))) << name;
  }
  EXPECT_EQ(fs::read_symlink(dest / "in"), "ok.txt");
  EXPECT_EQ(ReadFile(dest / "ok2.txt"), "fine");
  EXPECT_EQ(ReadFile(dir_ / "secret"), "secret");
}

TEST_F(ArchiverRunTest, BadCommandLinesAreRefused) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"x", "a.cef"}, {"e", "a.cef", "dest"}, {"x", "-q", "a.cef", "dest"}}) {
    const Outcome run = RunProgram(LARKBAY_ARCHIVER_BINARY, args, dir_);
    EXPECT_EQ(run.status, 2) << args.size();
    EXPECT_EQ(run.err.rfind("Engine.exe: ", 0), 0u) << run.err;
  }
  EXPECT_FALSE(fs::exists(dir_ / "dest"));
}

TEST_F(ArchiverRunTest, BuilderRefusesAnArchiverTooLargeForItsPiece) {
  const fs::path small = dir_ / "small.exe", big32 = dir_ / "big32.exe", big64 = dir_ / "big64.exe";
  WriteFile(small, "MZ");
  WriteFile(big32, std::string(larkbay::kArchiverPiece32Length + 1, 'a'));
  WriteFile(big64, std::string(larkbay::kArchiverPiece64Length + 1, 'a'));
  const fs::path out = dir_ / "Enginepack";
  for (const std::vector<std::string>& archivers : std::vector<std::vector<std::string>>{
           {"--archiver", big32.string()},
           {"--archiver", small.string(), "--archiver64", big64.string()}}) {
    std::vector<std::string> args = archivers;
    for (const std::string arg : {"--engine-dir", engine_.c_str(), "--out", out.c_str()}) {
      args.push_back(arg);
    }
    const Outcome run = RunProgram(LARKBAY_ENGINEPACK_BINARY, args, dir_);
    EXPECT_EQ(run.status, 1) << archivers.back();
    EXPECT_NE(run.err.find("more than its piece"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(out.string() + ".part"));
  }
  // Exactly the piece length fits.
  WriteFile(big32, std::string(larkbay::kArchiverPiece32Length, 'a'));
  EXPECT_EQ(RunProgram(LARKBAY_ENGINEPACK_BINARY,
                       {"--archiver", big32.string(), "--archiver64", small.string(),
                        "--engine-dir", engine_.string(), "--out", out.string()},
                       dir_)
                .status,
            0);
  EXPECT_EQ(ReadFile(out).compare(larkbay::kArchiverPiece32Length, 2, "MZ"), 0);
}

TEST(ArchiverBinaryTest, FitsTheSmallerArchiverPiece) {
  EXPECT_LE(fs::file_size(LARKBAY_ARCHIVER_BINARY), larkbay::kArchiverPiece32Length);
}

}  // namespace
