// Code page tables against glibc's iconv, and the UTF-8 / UTF-16 edges.
#include <iconv.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/code_page.h"

namespace platform {
namespace {

// One byte of a page as glibc's iconv decodes it; nullopt where glibc has no mapping.
std::optional<std::string> IconvByte(const char* page, unsigned char byte) {
  iconv_t cd = iconv_open("UTF-8", page);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* inp = in;
  char* outp = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  const std::size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
  return std::string(out, sizeof out - outLeft);
}

struct PageCase {
  const char* name;
  const char* iconvName;
  CodePage page;
};

class CodePageTable : public testing::TestWithParam<PageCase> {};

TEST_P(CodePageTable, EveryByteMatchesIconvAndRoundTrips) {
  const PageCase& c = GetParam();
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const std::string bytes(1, static_cast<char>(byte));
    const std::string utf8 = CodePageToUtf8(bytes, c.page);
    if (const auto expected = IconvByte(c.iconvName, byte)) {
      EXPECT_EQ(utf8, *expected) << c.name << " byte " << b;
    } else {
      // Bytes glibc leaves undefined map to the C1 control of the same value.
      ASSERT_EQ(c.page, CodePage::kAnsi) << "byte " << b;
      EXPECT_EQ(utf8, std::string({static_cast<char>(0xC2), static_cast<char>(byte)}))
          << "byte " << b;
    }
    EXPECT_EQ(Utf8ToCodePage(utf8, c.page), bytes) << c.name << " byte " << b;
    EXPECT_TRUE(FitsCodePage(utf8, c.page));
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, CodePageTable,
                         testing::Values(PageCase{"Ansi", "CP1250", CodePage::kAnsi},
                                         PageCase{"Oem", "CP852", CodePage::kOem}),
                         [](const auto& row) { return std::string(row.param.name); });

struct ToPageCase {
  const char* name;
  std::string utf8;
  CodePage page;
  std::string bytes;
  bool fits;
};

class ToCodePage : public testing::TestWithParam<ToPageCase> {};

TEST_P(ToCodePage, Converts) {
  const ToPageCase& c = GetParam();
  EXPECT_EQ(Utf8ToCodePage(c.utf8, c.page), c.bytes);
  EXPECT_EQ(FitsCodePage(c.utf8, c.page), c.fits);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToCodePage,
    testing::Values(
        ToPageCase{"PolishAnsi", "Zażółć gęślą jaźń", CodePage::kAnsi,
                   "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1", true},
        ToPageCase{"PolishOem", "ŁĄKA ść", CodePage::kOem, "\x9D\xA4KA \x98\x86", true},
        ToPageCase{"EuroAnsi", "€", CodePage::kAnsi, "\x80", true},
        ToPageCase{"EuroNotOem", "€", CodePage::kOem, "?", false},
        // One "?" per character, whatever its UTF-8 length.
        ToPageCase{"CjkAndEmoji", "a漢😀b", CodePage::kAnsi, "a??b", false},
        ToPageCase{"FrenchNotAnsi", "à", CodePage::kAnsi, "?", false},
        // Invalid UTF-8: one "?" per bad byte.
        ToPageCase{"LoneContinuation", "a\x80z", CodePage::kAnsi, "a?z", false},
        ToPageCase{"TruncatedSequence", "a\xC5", CodePage::kAnsi, "a?", false},
        ToPageCase{"Overlong", "\xC0\xAF", CodePage::kAnsi, "??", false},
        ToPageCase{"Surrogate", "\xED\xA0\x80", CodePage::kAnsi, "???", false},
        ToPageCase{"Empty", "", CodePage::kOem, "", true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Utf8, ValidityAndAscii) {
  EXPECT_TRUE(IsValidUtf8("zdjęcia 😀"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xC4"));
  EXPECT_TRUE(IsAscii("C:\\Dane\\a.kw"));
  EXPECT_FALSE(IsAscii("ł"));
}

TEST(Utf16, BothByteOrdersAndMalformedUnits) {
  EXPECT_EQ(Utf16LeToUtf8(std::string("A\0\x42\x01", 4)), "Ał");
  EXPECT_EQ(Utf16BeToUtf8(std::string("\0A\x01\x42", 4)), "Ał");
  // A surrogate pair, a lone high surrogate, and an odd last byte.
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8\x00\xDE", 4)), "😀");
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8" "A\0", 4)), "\uFFFDA");
  EXPECT_EQ(Utf16LeToUtf8(std::string("A\0B", 3)), "A\uFFFD");
  const std::string text = "Łąka 😀 ok";
  EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le(text)), text);
  EXPECT_EQ(Utf16BeToUtf8(Utf8ToUtf16Be(text)), text);
}

}  // namespace
}  // namespace platform
