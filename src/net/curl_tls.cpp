#include "net/curl_tls.h"

#include <string>

#include "net/tls_trust.h"

namespace larkbay {

bool ApplyTlsOptions(CURL* easy) {
  bool ok = curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_PROXY_SSL_VERIFYPEER, 1L) == CURLE_OK &&
            curl_easy_setopt(easy, CURLOPT_PROXY_SSL_VERIFYHOST, 2L) == CURLE_OK;
  // The named file replaces libcurl's default bundle file; the system's CA
  // folder (/etc/ssl/certs) stays searched, so public servers keep working.
  // A file that cannot be read fails each https exchange with the cause.
  const std::string caFile = TrustedCaFile();
  if (ok && !caFile.empty()) {
    ok = curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.c_str()) == CURLE_OK;
  }
  return ok;
}

}  // namespace larkbay
