#include "platform/case_fold.h"

#include <cstdint>

#include "platform/utf8.h"

namespace platform {
namespace {

// Pairs laid out upper, lower, upper, lower... starting at an even (or odd) code point.
constexpr bool InPairRange(char32_t c, char32_t first, char32_t last) {
  return c >= first && c <= last;
}

char32_t FoldPair(char32_t c, bool upperIsEven) {
  const bool even = (c % 2) == 0;
  return even == upperIsEven ? c + 1 : c;
}

}  // namespace

char32_t FoldCodePoint(char32_t c) noexcept {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  if (c < 0x100) {
    if (c == 0xB5) return 0x3BC;  // micro sign folds to Greek mu
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    return c;
  }
  // Latin Extended-A.
  if (c <= 0x17F) {
    if (InPairRange(c, 0x100, 0x12F) || InPairRange(c, 0x132, 0x137) ||
        InPairRange(c, 0x14A, 0x177)) {
      return FoldPair(c, true);
    }
    if (InPairRange(c, 0x139, 0x148) || InPairRange(c, 0x179, 0x17E)) return FoldPair(c, false);
    if (c == 0x178) return 0xFF;
    if (c == 0x17F) return 's';
    return c;  // U+0130 and U+0131 have no simple folding
  }
  // Greek.
  if (c >= 0x370 && c <= 0x3FF) {
    if (c == 0x370 || c == 0x372 || c == 0x376) return c + 1;
    if (c == 0x37F) return 0x3F3;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c == 0x3C2) return 0x3C3;  // final sigma
    if (c == 0x3CF) return 0x3D7;
    if (InPairRange(c, 0x3D8, 0x3EF)) return FoldPair(c, true);
    return c;
  }
  // Cyrillic.
  if (c >= 0x400 && c <= 0x52F) {
    if (c <= 0x40F) return c + 0x50;
    if (c <= 0x42F) return c + 0x20;
    if (InPairRange(c, 0x460, 0x481) || InPairRange(c, 0x48A, 0x4BF) ||
        InPairRange(c, 0x4D0, 0x52F)) {
      return FoldPair(c, true);
    }
    if (c == 0x4C0) return 0x4CF;
    if (InPairRange(c, 0x4C1, 0x4CE)) return FoldPair(c, false);
    return c;
  }
  return c;
}

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>((b >= 'A' && b <= 'Z') ? b + 0x20 : b));
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = utf8::Decode(text, i, cp);
    if (len == 0) {
      out.push_back(text[i]);
      ++i;
      continue;
    }
    utf8::Append(out, FoldCodePoint(cp));
    i += len;
  }
  return out;
}

std::u32string FoldToCodePoints(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t cp = 0;
    const std::size_t len = utf8::Decode(text, i, cp);
    if (len == 0) {
      out.push_back(0xDC00 + static_cast<unsigned char>(text[i]));
      ++i;
      continue;
    }
    out.push_back(FoldCodePoint(cp));
    i += len;
  }
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return FoldCase(a) == FoldCase(b);
}

}  // namespace platform
