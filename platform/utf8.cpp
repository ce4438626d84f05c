#include "platform/utf8.h"

#include <cstdint>
#include <cstring>

namespace platform::utf8 {

std::size_t Decode(std::string_view text, std::size_t i, char32_t& out) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) {
    out = lead;
    return 1;
  }
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07u, minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3Fu);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  out = cp;
  return length;
}

char32_t Next(std::string_view text, std::size_t& i) {
  char32_t cp = 0;
  const std::size_t length = Decode(text, i, cp);
  if (length == 0) {
    ++i;
    return kReplacement;
  }
  i += length;
  return cp;
}

std::size_t SequenceLength(std::string_view text, std::size_t i) {
  char32_t cp = 0;
  const std::size_t length = Decode(text, i, cp);
  return length == 0 ? 1 : length;
}

std::size_t CountCodePoints(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++n) i += SequenceLength(text, i);
  return n;
}

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValid(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.size() - i >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + i, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    char32_t cp = 0;
    const std::size_t length = Decode(text, i, cp);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string Sanitize(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) Append(out, Next(text, i));
  return out;
}

}  // namespace platform::utf8
