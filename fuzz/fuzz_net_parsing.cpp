// The net side's readers of server data, without a network: header blocks,
// cookie lists, the charset a page declares, download addresses and the
// gateway's answers.
//
// Input: the pieces between 0x01 bytes are the arguments (a header block, a
// cookie list, an address, ...); the whole input is also a body and an answer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/header_rules.h"
#include "net/html_charset.h"
#include "net/server_request.h"
#include "net/url_parts.h"
#include "services/text/text_helpers.h"

namespace {

using namespace larkbay;

void Expect(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> pieces;
  for (std::size_t from = 0;;) {
    const std::size_t at = input.find('\x01', from);
    pieces.push_back(input.substr(from, at == std::string_view::npos ? at : at - from));
    if (at == std::string_view::npos || pieces.size() == 4) {
      break;
    }
    from = at + 1;
  }
  while (pieces.size() < 4) {
    pieces.emplace_back();
  }

  // Header blocks and cookies.
  const std::string normalised = NormaliseHeaderNames(pieces[0]);
  Expect(NormaliseHeaderNames(normalised) == normalised, "NormaliseHeaderNames is not stable");
  for (std::string_view line : SplitHeaderLines(normalised)) {
    Expect(line.find(':') != std::string_view::npos, "a normalised line without a colon");
  }
  const std::string cookies = CollectSetCookies(input);
  const std::string merged = MergeCookies(pieces[1], cookies);
  (void)MergeCookies(merged, pieces[2]);
  (void)ContainsNoCase(pieces[0], pieces[1]);
  (void)TrimSpaces(pieces[2]);

  // A page and the character set it declares.
  const std::string charset = DeclaredCharset(input);
  Expect(charset.size() <= input.size(), "a declared charset longer than the page");
  (void)BodyToText(input);

  // Download addresses.
  for (std::string_view address : {pieces[0], pieces[1], input}) {
    (void)UrlHost(address, true);
    (void)UrlHost(address, false);
    const int port = UrlPort(address);
    Expect(port >= 0 && port <= 65535, "a port out of range");
    const std::string path = UrlPath(address);
    Expect(!path.empty() && path[0] == '/', "a path that does not start with /");
  }

  // Gateway answers, and the request side's own envelope.
  (void)DecodeAnswer(input);
  (void)DecodeAnswer(pieces[3]);
  (void)GatewayPath(pieces[0]);
  (void)BuildEnvelope(pieces[0], pieces[1], size % 2, 1700000000);
  (void)HeaderValue(pieces[0], pieces[2]);
  (void)HttpDateToUtc8(HeaderValue(pieces[0], "Date"));
  return 0;
}
