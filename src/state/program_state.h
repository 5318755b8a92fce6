#pragma once
// Program-wide values: created at process start by the program, alive until
// exit, handed by reference to whatever works with them. Plain types only, so
// the GUI-free core reads and writes them; each value has one writer at a time,
// as the start-up and the handlers are ordered.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "services/json/json_object.h"
#include "state/search_records.h"

namespace larkbay {

inline constexpr std::int32_t kVersionNumber = 1600584000;
inline constexpr char kVersionText[] = "2.0 Velmont";

struct AppState {
  std::int32_t VersionNumber = 0;
  std::string VersionText;
  std::int32_t LatestVersionNumber = 0;  // announced by the server
  std::string PlayerEngine;              // "cef" or "ie"
  bool AutoPlay = false;
  std::string SavePath;  // download folder, trailing "/"
  // The server clock offset is kept by the request layer (ServerClient), next
  // to the requests that measure and use it.
};

// One started download; the download manager moves it through its states.
struct DownloadTask {
  std::string TempPath;
  std::string FileName;
  std::int32_t RowStamp = 0;
  std::int32_t State = 0;
  // Why the download failed, or what it went through (a cut connection);
  // shown as the row's tooltip. Empty while all is well.
  std::string Failure;
  // The status line's code of the size request; 0 when none came.
  int HttpStatus = 0;
};

struct ProgramState {
  AppState appState;
  // Written by the start-up worker before it asks for the start-up window's
  // destruction; read on the interface thread while that is carried out.
  std::atomic<bool> InitDone{false};

  // The configuration document, parsed once by the start-up and only read
  // afterwards.
  JsonObject ProgramConfig;

  SongSearchState songSearch;
  std::vector<SongRecord> SongRecords;
  DjSearchState djSearch;
  std::vector<DjRecord> DjRecords;
  // In start order, never shortened; the task id is the 1-based index.
  std::vector<DownloadTask> DownloadTasks;

  // The site chooser's page bytes (GB18030), built at most once per run.
  std::string SiteListHtml;
  // The recommended list's player page text; empty until it was loaded.
  std::string RecommendHtml;
  // Lower-case MD5 of the GB18030 bytes of the page last handed to a page host.
  std::string LastPageDigest;
  // The archiver an engine installation runs; empty when none was found.
  std::string ArchiverPath;
};

}  // namespace larkbay
