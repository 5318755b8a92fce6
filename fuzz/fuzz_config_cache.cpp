// The configuration's way from the wire to the selectors, on arbitrary bytes:
// the input is read as a cache file (stamp and document), as a server reply
// (decoded, written to a cache file and read back: the stamp and the document
// must survive), and as the configuration document itself, whose Program
// entries the update steps read and whose DJ and Song sections fill the site
// and type boxes on in-memory controls.
//
// Input: the whole of it in each of the three roles; no control bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/control_names.h"
#include "platform/memory_controls.h"
#include "remote/config_cache.h"
#include "remote/program_entry.h"
#include "remote/search_sites.h"
#include "services/json/json_object.h"
#include "state/program_state.h"

namespace {

using namespace larkbay;

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void AsCacheFile(std::string_view file) {
  const std::string stamp = CacheStamp(file);
  if (!stamp.empty() && stamp.size() != 10) Fail("a cache stamp is ten bytes or none");
  (void)CacheDocument(file);
}

void AsReply(std::string_view reply) {
  const DecodedReply decoded = DecodeDocumentReply(reply);
  const std::string file = EncodeCacheFile(decoded.stamp, decoded.document);
  std::string field = decoded.stamp.substr(0, 10);
  field.resize(10, ' ');
  // The cache written from a reply must hand both back at the next start.
  if (CacheStamp(file) != field) Fail("the stamp of a written cache reads back changed");
  if (CacheDocument(file) != decoded.document)
    Fail("the document of a written cache reads back changed");
}

void CheckBox(MemoryControls& controls, std::string_view box) {
  const MemoryControls::Control c = controls.Get(box);
  // A filled box selects its first entry and keeps one value per entry.
  if (!c.items.empty() && (c.currentIndex != 0 || c.tag.empty() || c.tag.back() != '|'))
    Fail("a filled box has no selection or no values");
}

void AsConfiguration(std::string_view document) {
  ProgramState state;
  if (!state.ProgramConfig.Parse(document)) return;
  for (const char* entry : {"Main", "Updata", "Engine"}) {
    JsonObject announced;
    if (!ProgramEntry(state.ProgramConfig, entry, announced)) continue;
    const std::string digest = AnnouncedDigest(announced, "md5");
    for (const char c : digest)
      if (c >= 'A' && c <= 'Z') Fail("an announced digest keeps an upper-case letter");
    (void)announced.GetText("version");
    (void)announced.GetText("url");
  }

  MemoryControls controls;
  for (const char* box : {names::kDjTypeBox, names::kDjSiteBox, names::kSongSiteBox})
    controls.Add(box);
  FillDjSearchLists(controls, state);
  FillSongSiteList(controls, state);
  for (const char* box : {names::kDjTypeBox, names::kDjSiteBox, names::kSongSiteBox})
    CheckBox(controls, box);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  AsCacheFile(input);
  AsReply(input);
  AsConfiguration(input);
  return 0;
}
