#pragma once
// UTF-8 code points out of a text without reading past it, and back. One decoder for every
// layer: overlong forms, surrogates and values above U+10FFFF are malformed.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// The length of the well-formed sequence at text[i] with its code point in `out`, or 0 for
// a malformed or cut one. `i` must be below text.size().
std::size_t Decode(std::string_view text, std::size_t i, char32_t& out);
// The code point at `i`, advancing `i` past it; a malformed sequence gives U+FFFD and
// advances by one byte. `i` must be below text.size().
char32_t Next(std::string_view text, std::size_t& i);
// Bytes of the code point at `i` (1 for a malformed one); `i` below text.size().
std::size_t SequenceLength(std::string_view text, std::size_t i);
std::size_t CountCodePoints(std::string_view text);
void Append(std::string& out, char32_t cp);
// Whether the text is well-formed UTF-8 (ASCII runs checked eight bytes at a time).
bool IsValid(std::string_view text);
// The text with every malformed sequence replaced by U+FFFD.
std::string Sanitize(std::string_view text);

}  // namespace platform::utf8
