#pragma once
// Files and folders.

#include <string>
#include <string_view>

namespace larkbay {

// True when `path` names an existing folder (a symbolic link to one counts).
bool IsDirectory(const std::string& path);

// True when anything is at `path`, a dangling symbolic link included: a name
// that is taken.
bool PathExists(const std::string& path);

// Creates every missing folder of `path` (a trailing "/" is fine). True when the
// folder exists afterwards.
bool EnsureDirectory(const std::string& path);

// Whole-file read; false when the file cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& contents);

// What a written file is for: its permissions follow from it.
enum class FileKind {
  kData,     // a new file gets 0666 less the umask
  kProgram,  // a new file gets 0777 less the umask; a replaced one stays runnable
};

// Replaces `path` by a file holding `contents`: written to a temporary file in
// the same folder, flushed to disk, then renamed over the target, so readers
// and a crash see either the old or the new file. A new file gets its mode as
// every program creates one (see FileKind; the umask and a default ACL apply);
// an existing file keeps its permissions, a program also gaining execute
// permission for whoever may read it. A symbolic link is followed. False on any
// failure (the target is then untouched and the temporary file removed).
bool WriteFileAtomically(const std::string& path, std::string_view contents,
                         FileKind kind = FileKind::kData);

}  // namespace larkbay
