#include "model/utf8_text.h"

#include <cstdint>
#include <cstring>

namespace kw::utf8 {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

char32_t Next(std::string_view text, std::size_t& i) {
  const auto c0 = static_cast<unsigned char>(text[i]);
  if (c0 < 0x80) {
    ++i;
    return c0;
  }
  std::size_t len = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((c0 & 0xE0) == 0xC0) {
    len = 2, cp = c0 & 0x1Fu, min = 0x80;
  } else if ((c0 & 0xF0) == 0xE0) {
    len = 3, cp = c0 & 0x0Fu, min = 0x800;
  } else if ((c0 & 0xF8) == 0xF0) {
    len = 4, cp = c0 & 0x07u, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (text.size() - i < len) {
    ++i;
    return kReplacement;
  }
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if (!IsContinuation(c)) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (c & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += len;
  return cp;
}

std::size_t SequenceLength(std::string_view text, std::size_t i) {
  std::size_t j = i;
  Next(text, j);
  return j - i;
}

std::size_t CountCodePoints(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++n) Next(text, i);
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
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    // Next() answers U+FFFD for a malformed sequence, advancing one byte; a real U+FFFD
    // takes three.
    if (Next(text, i) == kReplacement && i - start != 3) return false;
  }
  return true;
}

std::string Sanitize(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) Append(out, Next(text, i));
  return out;
}

}  // namespace kw::utf8
