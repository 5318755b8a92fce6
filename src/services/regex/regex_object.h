#pragma once
// One regular-expression search over a text, with the captured groups of its
// matches handed out afterwards.
//
// Dialect (JavaScript-like, on PCRE2 in UTF-8 mode): lazy quantifiers, classes,
// capturing groups; \w, \d and \b are ASCII only ([A-Za-z0-9_]); `.` matches
// neither "\n" nor "\r"; with `multiline`, ^ and $ also match at line breaks
// (\n, \r, \r\n); without it $ matches only at the very end; \uHHHH escapes;
// [^] matches any character.
//
// Bounded work: a search that runs into the backtracking limits or the time
// limit (a pathological pattern) is not a search that ran: Execute gives
// false and keeps no match. Invalid UTF-8 in the subject never matches a pattern
// character and never crashes the search.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkbay {

class RegexObject {
 public:
  RegexObject() = default;

  // True when the search ran to its end (also when it found nothing); false
  // when the pattern does not compile or the search hit its limits. With
  // `global` every match is kept, otherwise the first one. With
  // `quotePlaceholder` every "#引号" in the pattern stands for a double quote.
  bool Execute(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
               bool multiline = true, bool global = true, bool quotePlaceholder = false);

  // Group `groupIndex` (1-based) of match `matchIndex` (1-based) of the last
  // Execute; the empty text for a match or group that does not exist or a
  // group that took no part in the match.
  std::string GetSubMatch(int matchIndex, int groupIndex) const;

  int MatchCount() const { return static_cast<int>(matchCount_); }

  // Backtracking limits of one search attempt (PCRE2 match and depth limits;
  // its backtracking memory is capped at 64 MiB as well).
  static constexpr unsigned kMatchLimit = 1'000'000;
  static constexpr unsigned kDepthLimit = 1'000'000;
  // The limits above restart at every start position; the whole search, over
  // all of them, may take this long. Start positions are tried this many
  // bytes at a time between two looks at the clock.
  static constexpr std::chrono::milliseconds kTimeLimit{500};
  static constexpr std::size_t kSliceBytes = 16;

  // The time limit of later searches (kTimeLimit unless set).
  void SetTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

 private:
  struct Span {
    std::size_t begin;  // std::string_view::npos: the group took no part
    std::size_t end;
  };
  // Groups 1..groupCount_ of every match, match after match (the whole match
  // is not kept).
  std::vector<Span> groups_;
  std::size_t groupCount_ = 0;
  std::size_t matchCount_ = 0;
  std::string subject_;
  std::chrono::milliseconds timeLimit_ = kTimeLimit;
};

}  // namespace larkbay
