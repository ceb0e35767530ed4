#include "base/URegex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "base/UExceptions.h"

struct TRegex::Impl {
  pcre2_code* Code = nullptr;
  ~Impl() { pcre2_code_free(Code); }
};

TRegex::TRegex(const std::string& pattern, bool caseless) : P(std::make_unique<Impl>()) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  P->Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.c_str()), pattern.size(), (caseless ? PCRE2_CASELESS : 0) | PCRE2_UTF | PCRE2_MATCH_INVALID_UTF,
                          &error, &offset, nullptr);
  if (!P->Code) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(error, message, sizeof message);
    throw Exception("Invalid pattern \"" + pattern + "\" at " + std::to_string(offset) + ": " +
                    reinterpret_cast<char*>(message));
  }
}

TRegex::~TRegex() = default;
TRegex::TRegex(TRegex&&) noexcept = default;
TRegex& TRegex::operator=(TRegex&&) noexcept = default;

std::vector<TRegex::Match> TRegex::FindAll(std::string_view text) const {
  std::vector<Match> result;
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(P->Code, nullptr);
  size_t start = 0;
  while (start <= text.size()) {
    int rc = pcre2_match(P->Code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0, data, nullptr);
    if (rc < 0) break;
    PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
    Match m;
    m.Position = ov[0];
    for (int i = 0; i < rc; ++i)
      m.Groups.emplace_back(ov[2 * i] == PCRE2_UNSET ? std::string_view() : text.substr(ov[2 * i], ov[2 * i + 1] - ov[2 * i]));
    result.push_back(std::move(m));
    start = ov[1] > ov[0] ? ov[1] : ov[0] + 1;  // an empty match moves on by one
  }
  pcre2_match_data_free(data);
  return result;
}

bool TRegex::Matches(std::string_view text) const {
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(P->Code, nullptr);
  int rc = pcre2_match(P->Code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, PCRE2_ANCHORED | PCRE2_ENDANCHORED,
                       data, nullptr);
  pcre2_match_data_free(data);
  return rc >= 0;
}
