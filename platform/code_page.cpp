// Code page tables and UTF-8 / UTF-16 conversions.
#include "platform/code_page.h"

#include <array>
#include <cstdint>

#include "platform/utf8.h"

namespace platform {
namespace {

// The upper halves (bytes 0x80-0xFF) of the two pages; the lower halves are ASCII.
// cp1250 leaves 0x81, 0x83, 0x88, 0x90 and 0x98 undefined; Windows maps them to the C1
// control characters of the same value, and so do we, so every byte survives a round trip.
constexpr std::array<char16_t, 128> kCp1250High{
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

constexpr std::array<char16_t, 128> kCp852High{
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,  // 80
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,  // 88
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,  // 90
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,  // A0
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,  // B0
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,  // D0
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,  // D8
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,  // E0
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,  // E8
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,  // F0
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,  // F8
};

// Code points above this are in neither page.
constexpr char32_t kReverseLimit = 0x2600;

// Code point -> byte for the upper half of a page; 0 where the page has no such character.
struct ReverseTable {
  std::array<std::uint8_t, kReverseLimit> bytes{};
};

ReverseTable MakeReverse(const std::array<char16_t, 128>& high) {
  ReverseTable table;
  for (std::size_t i = 0; i < high.size(); ++i) {
    table.bytes[high[i]] = static_cast<std::uint8_t>(0x80 + i);
  }
  return table;
}

const std::array<char16_t, 128>& HighHalf(CodePage page) {
  return page == CodePage::kOem ? kCp852High : kCp1250High;
}

const ReverseTable& Reverse(CodePage page) {
  static const ReverseTable ansi = MakeReverse(kCp1250High);
  static const ReverseTable oem = MakeReverse(kCp852High);
  return page == CodePage::kOem ? oem : ansi;
}

// The byte of `cp` in `page`, or -1 when the page cannot hold it.
int ByteOf(char32_t cp, CodePage page) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= kReverseLimit) return -1;
  const std::uint8_t b = Reverse(page).bytes[cp];
  return b == 0 ? -1 : b;
}

template <bool kBigEndian>
std::string Utf16ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    return kBigEndian ? (char32_t{a} << 8) | b : (char32_t{b} << 8) | a;
  };
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char32_t low = unit(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ::platform::utf8::Append(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    ::platform::utf8::Append(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
  }
  if (bytes.size() % 2 != 0) ::platform::utf8::Append(out, 0xFFFD);  // a lone last byte
  return out;
}

template <bool kBigEndian>
std::string Utf8ToUtf16(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  const auto put = [&](char32_t u) {
    const auto hi = static_cast<char>(u >> 8);
    const auto lo = static_cast<char>(u & 0xFF);
    out += kBigEndian ? hi : lo;
    out += kBigEndian ? lo : hi;
  };
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t cp = ::platform::utf8::Next(utf8, pos);
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

}  // namespace

std::string Utf8ToCodePage(std::string_view utf8, CodePage page) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    // A malformed sequence reads as U+FFFD, which no page holds: one "?" per bad byte.
    const int b = ByteOf(::platform::utf8::Next(utf8, pos), page);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string CodePageToUtf8(std::string_view bytes, CodePage page) {
  const auto& high = HighHalf(page);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else {
      ::platform::utf8::Append(out, high[b - 0x80]);
    }
  }
  return out;
}

bool FitsCodePage(std::string_view utf8, CodePage page) {
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    if (ByteOf(::platform::utf8::Next(utf8, pos), page) < 0) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view text) { return utf8::IsValid(text); }

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string Utf16LeToUtf8(std::string_view bytes) { return Utf16ToUtf8<false>(bytes); }
std::string Utf16BeToUtf8(std::string_view bytes) { return Utf16ToUtf8<true>(bytes); }
std::string Utf8ToUtf16Le(std::string_view utf8) { return Utf8ToUtf16<false>(utf8); }
std::string Utf8ToUtf16Be(std::string_view utf8) { return Utf8ToUtf16<true>(utf8); }

}  // namespace platform
