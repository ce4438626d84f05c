#pragma once
// Member names on their way into and out of the archive, the case folding of the name
// index, and the engine's wildcard mask rules.
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

struct EncodedName {
  std::string bytes;
  bool utf8 = false;  // general purpose flag bit 11
};

// A name the ANSI code page can hold is written in it (in the OEM page when oemNames);
// any other is written as UTF-8, cut to at most 254 bytes, with bit 11.
EncodedName EncodeName(std::string_view utf8Name, bool oemNames);
// The stored bytes as UTF-8: valid multi-byte UTF-8 wins whatever bit 11 says; otherwise the
// OEM page (oemNames and bit 11 clear) or the ANSI page.
std::string DecodeName(std::string_view bytes, std::uint16_t flags, bool oemNames);

// Case-folded form for the case-insensitive name index (the platform's folding of names).
std::string LowerName(std::string_view utf8);

// The engine's mask rules: "*.*" as "*", a final "." demands no extension, "?" exactly one
// character, "*" any run, letters compared without case.
bool MaskMatches(std::string_view name, std::string_view mask);
bool HasWildcards(std::string_view mask);

// Name and folder parts of a backslash or slash path.
std::string_view NamePart(std::string_view path);
std::string_view FolderPart(std::string_view path);  // with its trailing separator

}  // namespace engine
