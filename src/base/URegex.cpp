#include "base/URegex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "base/UExceptions.h"

struct TRegex::Impl {
  pcre2_code* Code = nullptr;
  uint32_t CaptureCount = 0;
  ~Impl() { pcre2_code_free(Code); }
};

TRegex::TRegex(const std::string& pattern, bool caseless) : P(std::make_unique<Impl>()) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  P->Code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.c_str()), pattern.size(),
                    (caseless ? PCRE2_CASELESS : 0) | PCRE2_UTF | PCRE2_MATCH_INVALID_UTF, &error, &offset, nullptr);
  if (!P->Code) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(error, message, sizeof message);
    throw Exception("Invalid pattern \"" + pattern + "\" at " + std::to_string(offset) + ": " +
                    reinterpret_cast<char*>(message));
  }
  // Without JIT support (or memory for it) matching falls back to the interpreter.
  pcre2_jit_compile(P->Code, PCRE2_JIT_COMPLETE);
  pcre2_pattern_info(P->Code, PCRE2_INFO_CAPTURECOUNT, &P->CaptureCount);
}

TRegex::~TRegex() = default;
TRegex::TRegex(TRegex&&) noexcept = default;
TRegex& TRegex::operator=(TRegex&&) noexcept = default;

namespace {

struct MatchData {
  explicit MatchData(const pcre2_code* code) : Data(pcre2_match_data_create_from_pattern(code, nullptr)) {}
  ~MatchData() { pcre2_match_data_free(Data); }
  MatchData(const MatchData&) = delete;
  MatchData& operator=(const MatchData&) = delete;
  pcre2_match_data* Data;
};

// Runs one match at start; fills m and returns the end of the match, or nothing.
std::optional<size_t> MatchAt(const pcre2_code* code, uint32_t captureCount, pcre2_match_data* data,
                              std::string_view text, size_t start, TRegex::Match& m) {
  int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0, data, nullptr);
  if (rc < 0) return std::nullopt;
  PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
  uint32_t groups = pcre2_get_ovector_count(data);
  m.Position = ov[0];
  m.Groups.clear();
  // Groups that took no part in the match still get an (empty) slot, so group k is
  // always Groups[k].
  for (uint32_t i = 0; i <= captureCount && i < groups; ++i)
    m.Groups.emplace_back(ov[2 * i] == PCRE2_UNSET ? std::string_view()
                                                   : text.substr(ov[2 * i], ov[2 * i + 1] - ov[2 * i]));
  return ov[1];
}

}  // namespace

std::vector<TRegex::Match> TRegex::FindAll(std::string_view text) const {
  std::vector<Match> result;
  MatchData data(P->Code);
  size_t start = 0;
  while (start <= text.size()) {
    Match m;
    auto end = MatchAt(P->Code, P->CaptureCount, data.Data, text, start, m);
    if (!end) break;
    start = *end > m.Position ? *end : m.Position + 1;  // an empty match moves on by one
    result.push_back(std::move(m));
  }
  return result;
}

std::optional<TRegex::Match> TRegex::Find(std::string_view text, size_t offset) const {
  if (offset > text.size()) return std::nullopt;
  MatchData data(P->Code);
  Match m;
  if (!MatchAt(P->Code, P->CaptureCount, data.Data, text, offset, m)) return std::nullopt;
  return m;
}

std::string TRegex::ReplaceAll(std::string_view text, std::string_view replacement) const {
  std::string result;
  size_t copied = 0;
  for (const Match& m : FindAll(text)) {
    result.append(text.substr(copied, m.Position - copied));
    result.append(replacement);
    copied = m.Position + m.Groups[0].size();
  }
  result.append(text.substr(copied));
  return result;
}

bool TRegex::Matches(std::string_view text) const {
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(P->Code, nullptr);
  int rc = pcre2_match(P->Code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0,
                       PCRE2_ANCHORED | PCRE2_ENDANCHORED, data, nullptr);
  pcre2_match_data_free(data);
  return rc >= 0;
}
