#include "services/regex/regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace larkbay {
namespace {

struct CodeFree {
  void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};

// Bytes of backtracking memory one search attempt may take, in KiB.
constexpr uint32_t kHeapLimitKiB = 64 * 1024;

std::string ReplaceQuotePlaceholder(std::string_view pattern) {
  constexpr std::string_view kPlaceholder = "#引号";
  std::string out;
  out.reserve(pattern.size());
  size_t pos = 0;
  for (size_t hit; (hit = pattern.find(kPlaceholder, pos)) != std::string_view::npos;
       pos = hit + kPlaceholder.size()) {
    out.append(pattern.substr(pos, hit - pos));
    out.push_back('"');
  }
  out.append(pattern.substr(pos));
  return out;
}

// The offset one character after `offset`: one lead byte and its continuation
// bytes (an invalid sequence advances by a single byte at least).
size_t NextCharacter(std::string_view text, size_t offset) {
  size_t next = offset + 1;
  for (int i = 0;
       i < 3 && next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80;
       ++i) {
    ++next;
  }
  return next;
}

// Length of the valid UTF-8 sequence at `at`; 0 when the bytes there are not
// one (a stray or cut byte, an overlong form, a surrogate, beyond U+10FFFF).
size_t ValidSequence(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return 1;
  size_t length;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  char32_t cp = lead & (0x7Fu >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(text[at + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

// End of the valid stretch that starts at `from`.
size_t ValidEnd(std::string_view text, size_t from) {
  while (from < text.size()) {
    const size_t length = ValidSequence(text, from);
    if (length == 0) break;
    from += length;
  }
  return from;
}

// The first position at or after `from` where a valid character starts, or
// the end.
size_t NextValid(std::string_view text, size_t from) {
  while (from < text.size() && ValidSequence(text, from) == 0) ++from;
  return from;
}

}  // namespace

bool RegexObject::Execute(std::string_view pattern, std::string_view subject, bool caseSensitive,
                          bool multiline, bool global, bool quotePlaceholder) {
  groups_.clear();
  groupCount_ = 0;
  matchCount_ = 0;
  subject_.assign(subject);

  const std::string patternText =
      quotePlaceholder ? ReplaceQuotePlaceholder(pattern) : std::string(pattern);

  std::unique_ptr<pcre2_compile_context, CompileContextFree> compileContext(
      pcre2_compile_context_create(nullptr));
  std::unique_ptr<pcre2_match_context, MatchContextFree> matchContext(
      pcre2_match_context_create(nullptr));
  if (!compileContext || !matchContext) return false;
  pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);
  pcre2_set_match_limit(matchContext.get(), kMatchLimit);
  pcre2_set_depth_limit(matchContext.get(), kDepthLimit);
  pcre2_set_heap_limit(matchContext.get(), kHeapLimitKiB);

  uint32_t options = PCRE2_UTF | PCRE2_USE_OFFSET_LIMIT | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                     PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_BACKSLASH_C;
  if (!caseSensitive) options |= PCRE2_CASELESS;
  if (multiline) options |= PCRE2_MULTILINE;

  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  std::unique_ptr<pcre2_code, CodeFree> code(
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(patternText.data()), patternText.size(), options,
                    &errorCode, &errorOffset, compileContext.get()));
  if (!code) return false;

  std::unique_ptr<pcre2_match_data, MatchDataFree> matchData(
      pcre2_match_data_create_from_pattern(code.get(), nullptr));
  if (!matchData) return false;
  uint32_t captureCount = 0;
  pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captureCount);
  groupCount_ = captureCount;

  // The subject is searched one valid UTF-8 stretch at a time: an invalid
  // byte is no character and no match crosses it. (PCRE2's own mode for
  // invalid text checks the rest of the subject again at every call, which
  // made a global search quadratic.) Within a stretch, start positions are
  // tried a slice at a time: the backtracking limits hold for one start
  // position only, so the time of the whole search is looked at in between.
  const std::string_view text = subject_;
  const size_t length = text.size();
  const auto deadline = std::chrono::steady_clock::now() + timeLimit_;
  size_t begin = 0;  // the stretch is [begin, end)
  size_t end = ValidEnd(text, 0);
  size_t offset = 0;  // within the stretch
  for (;;) {
    const std::string_view stretch = text.substr(begin, end - begin);
    const bool lastSlice = stretch.size() - offset <= kSliceBytes;
    const size_t sliceLimit = lastSlice ? PCRE2_UNSET : offset + kSliceBytes;
    pcre2_set_offset_limit(matchContext.get(), sliceLimit);
    const uint32_t flags =
        PCRE2_NO_UTF_CHECK | (begin > 0 ? PCRE2_NOTBOL : 0u) | (end < length ? PCRE2_NOTEOL : 0u);
    const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(stretch.data()),
                               stretch.size(), offset, flags, matchData.get(), matchContext.get());
    if ((rc < 0 && rc != PCRE2_ERROR_NOMATCH) || std::chrono::steady_clock::now() > deadline) {
      // Limits reached (or an internal error): the search did not complete.
      groups_.clear();
      matchCount_ = 0;
      return false;
    }
    bool nextStretch = false;
    if (rc == PCRE2_ERROR_NOMATCH) {
      if (!lastSlice) {
        offset = sliceLimit + 1;
        while (offset < stretch.size() &&
               (static_cast<unsigned char>(stretch[offset]) & 0xC0) == 0x80) {
          ++offset;
        }
        continue;
      }
      nextStretch = true;
    } else {
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData.get());
      for (size_t g = 1; g <= groupCount_; ++g) {
        const bool set = g < static_cast<size_t>(rc) && ovector[2 * g] != PCRE2_UNSET;
        groups_.push_back(set ? Span{begin + ovector[2 * g], begin + ovector[2 * g + 1]}
                              : Span{std::string_view::npos, std::string_view::npos});
      }
      ++matchCount_;
      if (!global) break;
      // As a script engine's global search: go on after the match, one
      // character further when it was empty.
      const size_t matchEnd = ovector[1];
      if (matchEnd > ovector[0] && matchEnd > offset) {
        offset = matchEnd;
      } else {
        const size_t from = std::max(offset, matchEnd);
        if (from >= stretch.size()) {
          nextStretch = true;
        } else {
          offset = NextCharacter(stretch, from);
        }
      }
    }
    if (nextStretch) {
      if (end >= length) break;
      begin = NextValid(text, end);
      end = ValidEnd(text, begin);
      offset = 0;
    }
  }
  return true;
}

std::string RegexObject::GetSubMatch(int matchIndex, int groupIndex) const {
  if (matchIndex < 1 || groupIndex < 1) return {};
  const auto match = static_cast<size_t>(matchIndex - 1);
  const auto group = static_cast<size_t>(groupIndex - 1);
  if (match >= matchCount_ || group >= groupCount_) return {};
  const Span& span = groups_[match * groupCount_ + group];
  if (span.begin == std::string_view::npos || span.end < span.begin) return {};
  return subject_.substr(span.begin, span.end - span.begin);
}

}  // namespace larkbay
