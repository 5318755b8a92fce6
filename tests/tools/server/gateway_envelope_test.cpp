// The gateway's reading of request bodies, without a network.
#include "gateway_envelope.h"

#include <gtest/gtest.h>

#include "net/server_request.h"
#include "services/text/text_helpers.h"

namespace larkbay::server {
namespace {

constexpr std::int64_t kNow = 1700000000;
constexpr std::int64_t kWindow = 300;
constexpr char kEnvelope[] =
    R"({"path":"/Lark-Bay/Tool/Api/Config/up-file-path.php","data":"fileName=Main","check":"1"})";

TEST(GatewayEnvelope, OpensWhatTheClientSeals) {
  const GatewayRequest request = OpenGatewayRequest(
      BuildEnvelope("Lark-Bay/Tool/Api/Config/up-file-path.php", "fileName=Main", 1, kNow), kNow,
      kWindow);
  ASSERT_EQ(request.status, GatewayStatus::kOk);
  EXPECT_EQ(request.path, "/Lark-Bay/Tool/Api/Config/up-file-path.php");
  EXPECT_EQ(request.data, "fileName=Main");
  EXPECT_EQ(request.check, "1");
  EXPECT_EQ(request.timestamp, kNow);

  // No data member: empty data.
  const GatewayRequest bare = OpenGatewayRequest(BuildEnvelope("/x", "", 0, kNow), kNow, kWindow);
  ASSERT_EQ(bare.status, GatewayStatus::kOk);
  EXPECT_EQ(bare.data, "");
  EXPECT_EQ(bare.check, "0");

  // A backslash of the form text arrives raw; one that starts no JSON escape
  // is the character itself, the escapes keep their meaning.
  const GatewayRequest raw = OpenGatewayRequest(
      SealEnvelope(R"({"path":"/x","data":"key=a\x\%5C\"q\u0041","check":"1"})", kNow), kNow,
      kWindow);
  ASSERT_EQ(raw.status, GatewayStatus::kOk);
  EXPECT_EQ(raw.data, "key=a\\x\\%5C\"qA");
  // And as the client's own envelope carries it.
  const GatewayRequest client =
      OpenGatewayRequest(BuildEnvelope("Lark-Bay/x.php", "k=C:\\d\\x\"y", 1, kNow), kNow, kWindow);
  ASSERT_EQ(client.status, GatewayStatus::kOk);
  EXPECT_EQ(client.data, "k=C:\\d\\x\"y");
}

TEST(GatewayEnvelope, RefusesBrokenBodies) {
  const std::string good = SealEnvelope(kEnvelope, kNow);
  const std::string digest = good.substr(5, 32);
  const std::string payload = good.substr(5 + 32 + 10);
  std::string lowerDigest = good;
  for (size_t i = 5; i < 37; ++i) lowerDigest[i] = static_cast<char>(std::tolower(lowerDigest[i]));
  std::string flipped = good;
  flipped.back() = flipped.back() == 'A' ? 'B' : 'A';
  // A "+" turned into a space on the way (form decoding) breaks the digest.
  std::string spaced = good;
  const size_t plus = spaced.find('+', 37);

  struct Case {
    const char* what;
    std::string body;
    GatewayStatus status;
  };
  std::vector<Case> cases = {
      {"empty", "", GatewayStatus::kMalformed},
      {"no prefix", good.substr(5), GatewayStatus::kMalformed},
      {"url-encoded prefix", "data%3D" + good.substr(5), GatewayStatus::kMalformed},
      {"short digest", "data=" + digest.substr(0, 31), GatewayStatus::kMalformed},
      {"lower-case digest", lowerDigest, GatewayStatus::kMalformed},
      {"no timestamp", "data=" + digest + payload, GatewayStatus::kMalformed},
      {"nothing after the timestamp", good.substr(0, 5 + 32 + 10), GatewayStatus::kMalformed},
      {"payload changed", flipped, GatewayStatus::kBadChecksum},
      {"an hour late", SealEnvelope(kEnvelope, kNow - 3600), GatewayStatus::kStaleTimestamp},
      {"an hour early", SealEnvelope(kEnvelope, kNow + 3600), GatewayStatus::kStaleTimestamp},
      {"edge of the window", SealEnvelope(kEnvelope, kNow - kWindow), GatewayStatus::kOk},
      {"no JSON", SealEnvelope("path=/x", kNow), GatewayStatus::kMalformed},
      {"no path", SealEnvelope(R"({"data":"a=1"})", kNow), GatewayStatus::kMalformed},
      {"path not a text", SealEnvelope(R"({"path":5})", kNow), GatewayStatus::kMalformed},
  };
  if (plus != std::string::npos) {
    spaced[plus] = ' ';
    cases.push_back({"plus as space", spaced, GatewayStatus::kBadChecksum});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(OpenGatewayRequest(c.body, kNow, kWindow).status, c.status);
  }
}

TEST(GatewayEnvelope, AnswerIsCaseSwappedBase64OfUtf8) {
  const std::string text = R"({"name":"晴天 Café 🌙"})";
  const std::string sealed = SealGatewayAnswer(text);
  EXPECT_EQ(Base64Decode(SwapLetterCase(sealed)), text);
  EXPECT_NE(sealed, Base64Encode(text));
}

}  // namespace
}  // namespace larkbay::server
