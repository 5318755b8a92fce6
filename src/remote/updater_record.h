#pragma once
// The hand-over record between the program and the updater: one line of
// GB18030 text in the data folder, five fields joined by "|":
//   process id | download address | save folder | file name | program to start

#include <string>
#include <string_view>

#include "platform/processes.h"

namespace larkbay {

struct UpdaterRecord {
  ProcessId processId = 0;   // the process to end once the file is replaced
  std::string address;       // where to download from
  std::string saveFolder;    // folder to save into (ends with "/")
  std::string fileName;      // file name to save as
  std::string startProgram;  // program to start afterwards
};

// The five fields joined by "|" (program text), no line break.
std::string FormatUpdaterRecord(const UpdaterRecord& record);

// Exactly five fields; the first a decimal process id > 0, the others
// non-empty and without line breaks. One trailing line break (a record edited
// by hand) is ignored. False otherwise (`out` is then unchanged).
bool ParseUpdaterRecord(std::string_view text, UpdaterRecord& out);

// Replaces the file at `path` with the record as GB18030 bytes. False when the
// file cannot be written, or when the record would not read back (a field holds
// "|" or a line break, a text field is empty, or the id is 0).
bool WriteUpdaterRecord(const std::string& path, const UpdaterRecord& record);

// Reads and parses the record file; false when it is missing or malformed.
bool ReadUpdaterRecord(const std::string& path, UpdaterRecord& out);

}  // namespace larkbay
