#pragma once
// Simple Unicode case folding for comparing file names as NTFS does (one code point to one
// code point): Latin-1, Latin Extended-A (Polish letters included), Greek and Cyrillic.
#include <string>
#include <string_view>

namespace platform {

char32_t FoldCodePoint(char32_t c) noexcept;

// The folded form of a UTF-8 text; bytes that are not valid UTF-8 are kept as they are, so
// two names compare equal only when their folded forms are byte-equal.
std::string FoldCase(std::string_view utf8);

// The folded code points of a UTF-8 text; a byte that is not valid UTF-8 becomes
// U+DC00 + byte (a lone surrogate, which no valid text decodes to).
std::u32string FoldToCodePoints(std::string_view utf8);

// Case-insensitive equality of two UTF-8 names.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace platform
