#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct FoldRow {
  const char* name;
  const char* a;
  const char* b;
  bool equal;
};

class CaseFoldTest : public ::testing::TestWithParam<FoldRow> {};

TEST_P(CaseFoldTest, ComparesAsFileNames) {
  const FoldRow& row = GetParam();
  EXPECT_EQ(EqualsIgnoringCase(row.a, row.b), row.equal) << row.a << " vs " << row.b;
}

INSTANTIATE_TEST_SUITE_P(
    Names, CaseFoldTest,
    ::testing::Values(
        FoldRow{"Ascii", "Rodzina.KW", "rODZINA.kw", true},
        FoldRow{"PolishUpperToLower", "ZDJĘCIA", "zdjęcia", true},
        FoldRow{"AllPolishLetters", "ĄĆĘŁŃÓŚŹŻ", "ąćęłńóśźż", true},
        FoldRow{"PolishLetterIsNotItsBase", "zdjecia", "zdjęcia", false},
        FoldRow{"LatinOne", "ÀÉÎÕÜÞ", "àéîõüþ", true},
        FoldRow{"MultiplicationSignHasNoCase", "×", "÷", false},
        FoldRow{"Greek", "ΣΟΦΊΑ", "σοφία", true},
        FoldRow{"GreekFinalSigma", "ΟΔΟΣ", "οδος", true},
        FoldRow{"Cyrillic", "ПРИВЕТ Ёж Її", "привет ёж її", true},
        FoldRow{"SharpSIsOneLetter", "Straße", "STRASSE", false},
        FoldRow{"DifferentLength", "abc", "abcd", false},
        FoldRow{"InvalidBytesKept", "a\xff", "A\xff", true},
        FoldRow{"InvalidBytesDiffer", "a\xff", "a\xfe", false},
        FoldRow{"TruncatedSequence", "\xc4", "\xc4\x98", false}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace platform
