#pragma once
// The engine pack: the archiver for 32-bit Windows, the archiver for 64-bit
// Windows and the encrypted archive of the engine folder, one after the other
// without a header, each padded with zeros to its fixed length. Bytes after the
// last piece are ignored.

#include <cstddef>
#include <string_view>

namespace larkbay {

inline constexpr std::size_t kArchiverPiece32Length = 572'632;
inline constexpr std::size_t kArchiverPiece64Length = 603'352;
inline constexpr std::size_t kEngineArchiveLength = 30'388'766;
inline constexpr std::string_view kEngineArchivePassword = "731805264";

// On the desktop, and inside AppDataDir during the installation.
inline constexpr std::string_view kEnginePackFile = "Enginepack";
inline constexpr std::string_view kEngineArchiverFile = "Engine.exe";
inline constexpr std::string_view kEngineArchiveFile = "Engine.cef";
inline constexpr std::string_view kEngineFolder = "Engine";
// The file whose digest tells a good engine folder.
inline constexpr std::string_view kEngineCheckFile = "cef.pak";

enum class EnginePackPiece { kArchiver32, kArchiver64, kEngineArchive };

struct EnginePackRange {
  std::size_t offset = 0;
  std::size_t length = 0;
};

constexpr EnginePackRange EnginePackPieceRange(EnginePackPiece piece) {
  switch (piece) {
    case EnginePackPiece::kArchiver32:
      return {0, kArchiverPiece32Length};
    case EnginePackPiece::kArchiver64:
      return {kArchiverPiece32Length, kArchiverPiece64Length};
    case EnginePackPiece::kEngineArchive:
      break;
  }
  return {kArchiverPiece32Length + kArchiverPiece64Length, kEngineArchiveLength};
}

// A pack of at least this size holds all three pieces.
inline constexpr std::size_t kEnginePackLength =
    kArchiverPiece32Length + kArchiverPiece64Length + kEngineArchiveLength;

static_assert(EnginePackPieceRange(EnginePackPiece::kEngineArchive).offset == 1'175'984);
static_assert(kEnginePackLength == 31'564'750);

}  // namespace larkbay
