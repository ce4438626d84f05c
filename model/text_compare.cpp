#include "model/text_compare.h"

#include <cstdint>
#include <tuple>

#include "platform/utf8.h"

namespace kw {

namespace utf8 = platform::utf8;

namespace {

// Yields the UTF-16 code units of a UTF-8 text one by one.
class Utf16Units {
 public:
  explicit Utf16Units(std::string_view text) : text_(text) {}
  bool Done() const { return pendingLow_ == 0 && i_ >= text_.size(); }
  char16_t Next() {
    if (pendingLow_ != 0) {
      const char16_t low = pendingLow_;
      pendingLow_ = 0;
      return low;
    }
    const char32_t cp = utf8::Next(text_, i_);
    if (cp < 0x10000) return static_cast<char16_t>(cp);
    const char32_t v = cp - 0x10000;
    pendingLow_ = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    return static_cast<char16_t>(0xD800 + (v >> 10));
  }

 private:
  std::string_view text_;
  std::size_t i_ = 0;
  char16_t pendingLow_ = 0;
};

char32_t ToUpper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0x80) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t{1};
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 0) ? c - 1 : c;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

// Primary weight of an upper-case character: the Polish alphabet for Latin letters (the
// letters with diacritics of other languages count as their base letter), digits before
// letters, everything else before digits by code point.
std::uint32_t PrimaryWeight(char32_t u) {
  constexpr std::uint32_t kDigits = 0x200000;
  constexpr std::uint32_t kLetters = 0x300000;
  constexpr std::uint32_t kOtherLetters = 0x400000;
  auto latin = [](char base, std::uint32_t rank) {
    return kLetters + static_cast<std::uint32_t>(base - 'A') * 4 + rank;
  };
  if (u >= '0' && u <= '9') return kDigits + (u - '0');
  if (u >= 'A' && u <= 'Z') return latin(static_cast<char>(u), 0);
  switch (u) {
    case 0x104: return latin('A', 1);
    case 0x106: return latin('C', 1);
    case 0x118: return latin('E', 1);
    case 0x141: return latin('L', 1);
    case 0x143: return latin('N', 1);
    case 0xD3: return latin('O', 1);
    case 0x15A: return latin('S', 1);
    case 0x179: return latin('Z', 1);
    case 0x17B: return latin('Z', 2);
    default: break;
  }
  if (u >= 0xC0 && u <= 0xC5) return latin('A', 0);
  if (u == 0xC7 || u == 0x10C) return latin('C', 0);
  if (u >= 0xC8 && u <= 0xCB) return latin('E', 0);
  if (u >= 0xCC && u <= 0xCF) return latin('I', 0);
  if (u == 0xD1) return latin('N', 0);
  if ((u >= 0xD2 && u <= 0xD6) || u == 0xD8) return latin('O', 0);
  if (u >= 0xD9 && u <= 0xDC) return latin('U', 0);
  if (u == 0xDD || u == 0x178) return latin('Y', 0);
  if (u == 0x160) return latin('S', 0);
  if (u == 0x17D) return latin('Z', 0);
  if (u >= 0x370) return kOtherLetters + u;
  return u;  // punctuation, symbols, spaces
}

}  // namespace

int CompareOrdinal(std::string_view a, std::string_view b) {
  Utf16Units ua(a), ub(b);
  while (!ua.Done() && !ub.Done()) {
    const char16_t ca = ua.Next(), cb = ub.Next();
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (ua.Done() && ub.Done()) return 0;
  return ua.Done() ? -1 : 1;
}

int CompareTextLocale(std::string_view a, std::string_view b) {
  // Primary differences (letters, alphabet order) decide over the whole text first; then
  // the upper-cased characters themselves (é against e), so only case is ignored.
  int secondary = 0;
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t ca = ToUpper(utf8::Next(a, i));
    const char32_t cb = ToUpper(utf8::Next(b, j));
    const std::uint32_t wa = PrimaryWeight(ca), wb = PrimaryWeight(cb);
    if (wa != wb) return wa < wb ? -1 : 1;
    if (secondary == 0 && ca != cb) secondary = ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return secondary;
}

}  // namespace kw
