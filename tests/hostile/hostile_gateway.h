#pragma once
// A loopback API server whose every document can be swapped for a hostile
// answer. What is not scripted is answered as the reference server answers
// it (its router, its demo catalogue, the files of a downloads folder and
// the test media), so a flow reaches the one document a case is about.

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "loopback_server.h"
#include "release_signing.h"

namespace larkbay::hostile {

using larkbay::testing::Answer;
using larkbay::testing::RecordedRequest;

// Every document the client reads.
enum class Doc {
  kConfig,     // program_Config.php, file_name=program_Config.json
  kMusicList,  // program_Config.php, file_name=_MuiscList.json
  kUpdataPath, // up-file-path.php, fileName=Updata
  kMainPath,   // up-file-path.php, fileName=Main
  kEnginePath, // up-file-path.php, fileName=Engine
  kSongSearch, // song/<site>/<site>.php, type=Search
  kSongUrl,    // type=Songurl
  kMvUrl,      // type=MVurl
  kDjSearch,   // dj/DJ_music_info_API.php
  kDjUrl,      // dj/<site>/get_url.php
  kClock,      // HEAD/GET of the gateway: the Date header
  kMedia,      // /media/...
  kPack,       // /download/... and /go/... (Update.exe, Enginepack)
};
std::string_view DocName(Doc doc);

// What the reference server would have sent: for a gateway document the
// text before sealing (JSON, or the configuration's stamp + document) and
// the wire body; for a file its bytes.
struct Normal {
  std::string document;  // plain text of the answer
  std::string wire;      // as it goes on the wire
  int status = 200;
};

using Script = std::function<Answer(const RecordedRequest& request, const Normal& normal)>;

class HostileGateway {
 public:
  // `downloads` holds the files up-file-path.php offers (Update.exe,
  // Enginepack, cef.pak.md5), as for the reference server.
  explicit HostileGateway(std::filesystem::path downloads);
  ~HostileGateway();

  // From now on `doc` is answered by `script`, until Clear.
  void Set(Doc doc, Script script);
  void Clear();
  // Requests seen for `doc` since the start.
  int Hits(Doc doc) const;

  std::string Base() const;
  int Port() const;
  // The configuration the reference server would announce, with the
  // Update.exe digest it carries.
  std::string ConfigDocument() const;
  // Seals a plain document as the gateway's answer body.
  static std::string Seal(std::string_view text);
  // The configuration's wire form: a stamp of ten digits and the document,
  // percent-encoded, then sealed.
  static std::string SealDocument(std::string_view document);

 private:
  struct Impl;
  Answer Handle(const RecordedRequest& request);
  std::unique_ptr<Impl> impl_;
};

// Scripted answers shared by the cases.
Answer Http(int status, std::string body, std::vector<std::string> lines = {});
// A status line, lines, a Content-Length of `announced`, and `body` before
// the connection closes.
Answer LyingLength(std::string body, std::size_t announced);
// Half the body, then a reset.
Answer ResetMidBody(std::string body, std::size_t announced);
// A header block and a body that keeps coming, a little at a time, for far
// longer than any client waits.
Answer EndlessBody();
// 302 to the same target, for ever.
Answer RedirectTo(std::string location);

// Release signatures, as the reference server keeps them beside its files
// (the shared test signing helpers).
using test::DemoKeyPem;
using test::kOtherKeyPem;
using test::SignatureOf;
using test::SignBeside;

}  // namespace larkbay::hostile
