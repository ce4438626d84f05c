#pragma once
// Small UTF-8 helpers of the model: code points out of a text without reading past it.
#include <cstddef>
#include <string>
#include <string_view>

namespace kw::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// The code point at `i`, advancing `i` past it; a malformed or cut sequence gives
// U+FFFD and advances by one byte. `i` must be below text.size().
char32_t Next(std::string_view text, std::size_t& i);
// Bytes of the code point at `i` (1 for a malformed one); `i` below text.size().
std::size_t SequenceLength(std::string_view text, std::size_t i);
std::size_t CountCodePoints(std::string_view text);
void Append(std::string& out, char32_t cp);
// Whether the text is well-formed UTF-8 (ASCII runs checked eight bytes at a time).
bool IsValid(std::string_view text);
// The text with every malformed sequence replaced by U+FFFD.
std::string Sanitize(std::string_view text);

}  // namespace kw::utf8
