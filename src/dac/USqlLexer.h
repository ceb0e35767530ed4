#pragma once

#include <cstddef>
#include <string_view>

namespace dac_detail {

// When s[i] opens quoted text ('...', "...", `...`, [...]) or a comment (-- to the end
// of the line, /* */), the index just after its end (the end of s when it is not
// closed); otherwise i itself. A doubled quote inside quoted text needs no special
// case: it ends one quoted run and opens the next.
size_t SkipQuotedOrComment(std::string_view s, size_t i);

// True when s holds nothing but blanks and comments.
bool IsBlankOrComment(std::string_view s);

}  // namespace dac_detail
