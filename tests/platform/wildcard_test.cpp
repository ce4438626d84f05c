#include "platform/wildcard.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct WildcardRow {
  const char* name;
  const char* pattern;
  const char* file;
  bool matches;
};

class WildcardTest : public ::testing::TestWithParam<WildcardRow> {};

TEST_P(WildcardTest, FollowsTheFileLookupRules) {
  const WildcardRow& row = GetParam();
  EXPECT_EQ(MatchesWildcard(row.pattern, row.file), row.matches)
      << row.pattern << " vs " << row.file;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, WildcardTest,
    ::testing::Values(
        WildcardRow{"StarAny", "*", "abc", true},
        WildcardRow{"StarDot", "*", ".", true},
        WildcardRow{"StarDotStarNoDot", "*.*", "README", true},
        WildcardRow{"StarDotStarManyDots", "*.*", "a.b.c", true},
        WildcardRow{"StarDotStarDotName", "*.*", ".bashrc", true},
        WildcardRow{"StarDotStarDotDot", "*.*", "..", true},
        WildcardRow{"ExtensionIgnoresCase", "*.kwbackup", "{A1}.KWBACKUP", true},
        WildcardRow{"ExtensionAfterLastDot", "*.kwbackup", "a.b.kwbackup", true},
        WildcardRow{"ExtensionNotInTheMiddle", "*.kwbackup", "x.kwbackup.bak", false},
        WildcardRow{"ExtensionNotLonger", "*.kwbackup", "x.kwbackupx", false},
        WildcardRow{"ExtensionNotDotDot", "*.kwbackup", "..", false},
        WildcardRow{"StarDotNoExtension", "*.", "README", true},
        WildcardRow{"StarDotRejectsExtension", "*.", "a.txt", false},
        WildcardRow{"QuestionOneChar", "a?c", "abc", true},
        WildcardRow{"QuestionNotNothingMidName", "a?c", "ac", false},
        WildcardRow{"QuestionNothingBeforeDot", "file?.txt", "file.txt", true},
        WildcardRow{"QuestionNotADot", "a?b", "a.b", false},
        WildcardRow{"QuestionsTooFew", "??", "abc", false},
        WildcardRow{"QuestionsAtEnd", "ab??", "ab", true},
        WildcardRow{"PlainNameIgnoresCase", "Rodzina.KW", "rodzina.kw", true},
        WildcardRow{"PolishPrefix", "ZDJĘ*", "zdjęcia", true},
        WildcardRow{"PolishNeedsItsLetter", "ZDJE*", "zdjęcia", false},
        WildcardRow{"QuestionIsOneLetterNotOneByte", "zdj?cia", "zdjęcia", true},
        WildcardRow{"StarInMiddle", "IMG*2020*.jpg", "img_01_2020_x.JPG", true},
        WildcardRow{"EmptyPatternEmptyName", "", "", true},
        WildcardRow{"EmptyPatternName", "", "a", false}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace platform
