#include "base/UUtf16.h"

#include <iconv.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "base/UExceptions.h"

namespace {

// Opening a conversion costs far more than converting a short value, and values are
// converted once per column and row: each thread keeps its descriptors open.
class TConverterCache {
 public:
  ~TConverterCache() {
    for (auto& entry : Entries) iconv_close(entry.second);
  }
  iconv_t Get(const char* from, const char* to) {
    std::string key = std::string(from) + '>' + to;
    for (auto& entry : Entries)
      if (entry.first == key) return entry.second;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
      throw EConvertError(std::string("No conversion from ") + from + " to " + to);
    Entries.emplace_back(key, cd);
    return cd;
  }

 private:
  std::vector<std::pair<std::string, iconv_t>> Entries;
};

std::string Convert(std::string_view input, const char* from, const char* to) {
  if (input.empty()) return std::string();
  thread_local TConverterCache cache;
  iconv_t cd = cache.Get(from, to);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for every text
  std::string output;
  output.resize(input.size() * 2 + 16);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  size_t done = 0;
  while (inLeft > 0) {
    char* out = output.data() + done;
    size_t outLeft = output.size() - done;
    size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    done = output.size() - outLeft;
    if (rc == static_cast<size_t>(-1)) {
      if (errno == E2BIG) {
        output.resize(output.size() * 2);
        continue;
      }
      throw EConvertError(std::string("Malformed ") + from + " text at byte " + std::to_string(input.size() - inLeft));
    }
  }
  output.resize(done);
  return output;
}

}  // namespace

std::string Utf8ToUtf16Le(std::string_view utf8) { return Convert(utf8, "UTF-8", "UTF-16LE"); }

std::string Utf16ToUtf8(std::string_view utf16, bool bigEndian) {
  return Convert(utf16, bigEndian ? "UTF-16BE" : "UTF-16LE", "UTF-8");
}
