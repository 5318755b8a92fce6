#pragma once
// The command line of lark-bay-server.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fault_set.h"

namespace larkbay::server {

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = 0;                     // 0: any free port (printed in the ready line)
  std::filesystem::path data;       // catalogue/ and www/
  std::filesystem::path media;      // generated audio, DJ mixes and videos
  std::filesystem::path vendor;     // vendor/www: the npm player scripts
  std::filesystem::path downloads;  // Update.exe, lark-bay, Enginepack, cef.pak.md5
  std::string publicBase;           // address put into documents; empty: the Host the client used
  FaultSet faults;
  int slowMs = 1500;
  std::int64_t mediaRate = 0;      // bytes a second of each /media answer; 0: as fast as it goes
  std::int64_t clockSkew = 0;      // seconds added to the system clock (Date header and checks)
  std::int64_t clockWindow = 300;  // accepted distance of a request's timestamp
  std::string mainVersion;         // overrides the catalogue's Program.Main.version
  std::filesystem::path tlsCert;   // PEM certificate (chain); with tlsKey: serve https
  std::filesystem::path tlsKey;    // PEM private key of tlsCert
  bool help = false;

  bool Tls() const { return !tlsCert.empty(); }
  std::string Scheme() const { return Tls() ? "https" : "http"; }
};

// Parses the arguments after the program name. Folders not given hang off
// `data` (media/, vendor/, downloads/). False with a one-line reason on bad usage.
bool ParseServerOptions(const std::vector<std::string>& args, int defaultPort,
                        const std::filesystem::path& defaultData, ServerOptions& options,
                        std::string& error);

std::string ServerUsage();

}  // namespace larkbay::server
