// Number and date-time formatting and parsing with format settings.
#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/format.h"

namespace platform {
namespace {

const FormatSettings kPolish = PolishFormatSettings();

FormatSettings English() {
  FormatSettings fs;
  fs.decimalSeparator = ".";
  fs.thousandSeparator = ",";
  fs.shortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return fs;
}

struct NumberCase {
  const char* name;
  double value;
  int decimals;
  const char* expected;
};

class Number : public testing::TestWithParam<NumberCase> {};

TEST_P(Number, FormatsPolish) {
  const NumberCase& c = GetParam();
  EXPECT_EQ(FormatNumber(c.value, c.decimals, kPolish), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Number,
    testing::Values(NumberCase{"Megabytes", 1263411.0 / 1024, 2, "1\u00A0233,80"},
                    NumberCase{"Zero", 0, 2, "0,00"},
                    NumberCase{"Millions", 1234567.891, 2, "1\u00A0234\u00A0567,89"},
                    NumberCase{"HalfAwayFromZero", 0.125, 2, "0,13"},
                    NumberCase{"DecimalTieOfBinaryValue", 1.005, 2, "1,01"},
                    NumberCase{"CarryIntoNewDigit", 999.996, 2, "1\u00A0000,00"},
                    NumberCase{"Negative", -1234.5, 1, "-1\u00A0234,5"},
                    NumberCase{"NegativeRoundsToZero", -0.001, 2, "0,00"},
                    NumberCase{"NoDecimals", 1499.5, 0, "1\u00A0500"},
                    NumberCase{"Small", 0.00049, 3, "0,000"}),
    [](const auto& row) { return std::string(row.param.name); });

struct FloatCase {
  const char* name;
  const char* pattern;
  double value;
  const char* expected;
};

class Float : public testing::TestWithParam<FloatCase> {};

TEST_P(Float, FormatsPolish) {
  const FloatCase& c = GetParam();
  EXPECT_EQ(FormatFloat(c.pattern, c.value, kPolish), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Float,
    testing::Values(FloatCase{"FreeSpace", "0.## GB", 5.3612, "5,36 GB"},
                    FloatCase{"WholeDropsSeparator", "0.## GB", 8.0, "8 GB"},
                    FloatCase{"OneDecimalKept", "0.## GB", 7.5, "7,5 GB"},
                    FloatCase{"LeadingText", " wolnych z 0.## GB", 14.996, " wolnych z 15 GB"},
                    FloatCase{"AtLeastOneIntegerDigit", "0.##", 0.25, "0,25"},
                    FloatCase{"FixedDecimals", "0.00", 2, "2,00"},
                    FloatCase{"Grouping", "#,##0.00", 1234567.5, "1\u00A0234\u00A0567,50"},
                    FloatCase{"PaddedInteger", "000", 7, "007"},
                    FloatCase{"Negative", "0.## GB", -1.5, "-1,5 GB"},
                    FloatCase{"NegativeSection", "0.0;(0.0)", -1.25, "(1,3)"},
                    FloatCase{"ZeroSection", "0.0;-0.0;zero", 0, "zero"},
                    FloatCase{"QuotedText", "0 'GB.#'", 3, "3 GB.#"},
                    FloatCase{"Empty", "", 2.5, "2,5"}),
    [](const auto& row) { return std::string(row.param.name); });

struct DateCase {
  const char* name;
  const char* pattern;
  const char* expected;
};

class DateFormat : public testing::TestWithParam<DateCase> {};

// 9 March 2026, 07:05:03.042, a Monday.
const double kMoment = *EncodeDate(2026, 3, 9) + *EncodeTime(7, 5, 3, 42);

TEST_P(DateFormat, FormatsPolish) {
  const DateCase& c = GetParam();
  EXPECT_EQ(FormatDateTime(c.pattern, kMoment, kPolish), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateFormat,
    testing::Values(DateCase{"ListRow", "dd-MM-yyyy hh:mm", "09-03-2026 07:05"},
                    DateCase{"DescriptorDate", "dd-MM-yyyy", "09-03-2026"},
                    DateCase{"DescriptorTime", "hh:nn", "07:05"},
                    DateCase{"GroupDay", "yyyy-MMM-dd", "2026-mar-09"},
                    DateCase{"GroupMonthSortable", "yyyy-MM", "2026-03"},
                    DateCase{"GroupMonth", "yyyy-MMM", "2026-mar"},
                    DateCase{"LowerCaseMonth", "d/m/yy", "9.3.26"},
                    DateCase{"MinutesAfterHour", "h:m:s.zzz", "7:5:3.042"},
                    DateCase{"LongNames", "dddd d mmmm", "poniedziałek 9 marzec"},
                    DateCase{"Quoted", "'dd' dd \"mm\"", "dd 09 mm"},
                    DateCase{"ShortDateAndTime", "ddddd t", "09.03.2026 07:05"},
                    DateCase{"TwelveHour", "h:nn am/pm", "7:05 am"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DateFormat, SeparatorsComeFromTheSettings) {
  FormatSettings fs = kPolish;
  fs.timeSeparator = ".";
  fs.dateSeparator = "/";
  EXPECT_EQ(FormatDateTime("dd/MM hh:nn", kMoment, fs), "09/03 07.05");
  EXPECT_EQ(FormatDateTime("yyyy-MMM-dd", kMoment, English()), "2026-Mar-09");
  EXPECT_EQ(FormatDateTime("yyyy", 0, kPolish), "1899");
  EXPECT_EQ(FormatDateTime("dd-MM-yyyy hh:mm", 0, kPolish), "30-12-1899 00:00");
}

// The descriptor's reading settings: "dd/MM/yyyy" with "-" and "hh:mm" with ":".
FormatSettings DescriptorSettings() {
  FormatSettings fs = English();
  fs.shortDateFormat = "dd/MM/yyyy";
  fs.dateSeparator = "-";
  fs.shortTimeFormat = "hh:mm";
  fs.timeSeparator = ":";
  return fs;
}

struct ParseCase {
  const char* name;
  const char* text;
  std::optional<double> expected;
};

class ParseDate : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseDate, WithDescriptorSettings) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(TryStrToDate(c.text, DescriptorSettings()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseDate,
    testing::Values(ParseCase{"Written", "09-12-2026", EncodeDate(2026, 12, 9)},
                    ParseCase{"NoLeadingZeros", "9-3-2026", EncodeDate(2026, 3, 9)},
                    ParseCase{"SurroundingBlanks", " 09-12-2026 ", EncodeDate(2026, 12, 9)},
                    ParseCase{"TwoDigitYear", "09-12-26", EncodeDate(2026, 12, 9)},
                    ParseCase{"ImpossibleDay", "31-02-2026", std::nullopt},
                    ParseCase{"OtherSeparator", "09.12.2026", std::nullopt},
                    ParseCase{"TrailingText", "09-12-2026x", std::nullopt},
                    ParseCase{"MissingPart", "09-", std::nullopt},
                    ParseCase{"Empty", "", std::nullopt},
                    ParseCase{"TooManyDigits", "09-12-20261", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

class ParseTime : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTime, WithDescriptorSettings) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(TryStrToTime(c.text, DescriptorSettings()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseTime,
    testing::Values(ParseCase{"Written", "07:05", EncodeTime(7, 5, 0, 0)},
                    ParseCase{"WithSeconds", "23:59:58", EncodeTime(23, 59, 58, 0)},
                    ParseCase{"HourOnly", "7", EncodeTime(7, 0, 0, 0)},
                    ParseCase{"OtherLocaleSeparator", "07.05", std::nullopt},
                    ParseCase{"HourTooLarge", "24:00", std::nullopt},
                    ParseCase{"MinuteTooLarge", "07:60", std::nullopt},
                    ParseCase{"Pm", "7:05 PM", EncodeTime(19, 5, 0, 0)},
                    ParseCase{"Empty", "", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ParseDate, FollowsTheShortDateOrder) {
  FormatSettings fs = English();
  fs.dateSeparator = "/";
  fs.shortDateFormat = "M/d/yyyy";
  EXPECT_EQ(TryStrToDate("3/9/2026", fs), EncodeDate(2026, 3, 9));
  fs.shortDateFormat = "yyyy/MM/dd";
  EXPECT_EQ(TryStrToDate("2026/03/09", fs), EncodeDate(2026, 3, 9));
}

TEST(HostFormatSettings, PlainCLocaleGivesPolish) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved != nullptr ? saved : "";
  setenv("LC_ALL", "C", 1);
  const FormatSettings fs = HostFormatSettings();
  if (saved != nullptr) {
    setenv("LC_ALL", keep.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  EXPECT_EQ(fs.decimalSeparator, ",");
  EXPECT_EQ(fs.thousandSeparator, "\u00A0");
  EXPECT_EQ(fs.shortMonthNames[9], "paź");
  EXPECT_EQ(fs.longMonthNames[0], "styczeń");
}

// Sets environment variables for one test and restores them.
class ScopedEnvironment {
 public:
  void Set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

#if defined(__SANITIZE_ADDRESS__)
struct LeakCheckPause {
  LeakCheckPause() { __lsan_disable(); }
  ~LeakCheckPause() { __lsan_enable(); }
};
#else
struct LeakCheckPause {};
#endif

// Real host locales, compiled into the test's own folder from the system's locale sources
// (the machine may have none installed).
TEST(HostFormatSettings, ReadsTheEnvironmentsLocale) {
  if (std::system("command -v localedef >/dev/null 2>&1") != 0 ||
      !std::filesystem::exists("/usr/share/i18n/locales/pl_PL") ||
      !std::filesystem::exists("/usr/share/i18n/locales/en_US")) {
    GTEST_SKIP() << "localedef or the locale sources are missing";
  }
  char pattern[] = "/tmp/kw_locale_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path dir = pattern;
  for (const char* name : {"pl_PL", "en_US"}) {
    const std::string command = std::string("localedef -i ") + name + " -f UTF-8 " +
                                (dir / name).string() + ".UTF-8 >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  // glibc keeps the parsed LOCPATH list for good; that is not a leak of ours.
  [[maybe_unused]] const LeakCheckPause pause;
  ScopedEnvironment env;
  env.Set("LOCPATH", dir.string());
  env.Set("LC_ALL", "pl_PL.UTF-8");
  const FormatSettings pl = HostFormatSettings();
  env.Set("LC_ALL", "en_US.UTF-8");
  const FormatSettings en = HostFormatSettings();
  std::filesystem::remove_all(dir);

  EXPECT_EQ(pl.decimalSeparator, ",");
  EXPECT_EQ(pl.shortDateFormat, "dd.MM.yyyy");
  EXPECT_EQ(pl.dateSeparator, ".");
  EXPECT_EQ(pl.shortTimeFormat, "hh:nn");
  EXPECT_EQ(pl.shortMonthNames[9], "paź");
  EXPECT_EQ(pl.longMonthNames[0], "styczeń");  // the nominative form
  EXPECT_EQ(FormatDateTime("yyyy-MMM-dd", kMoment, pl), "2026-mar-09");

  EXPECT_EQ(en.decimalSeparator, ".");
  EXPECT_EQ(en.thousandSeparator, ",");
  EXPECT_EQ(en.shortDateFormat, "MM/dd/yyyy");
  EXPECT_EQ(en.dateSeparator, "/");
  EXPECT_EQ(FormatNumber(1263411.0 / 1024, 2, en), "1,233.80");
  EXPECT_EQ(FormatDateTime("ddddd t", kMoment + 0.5, en), "03/09/2026 7:05 PM");
  EXPECT_EQ(TryStrToDate("03/09/2026", en), EncodeDate(2026, 3, 9));
}

TEST(UserFormatSettings, TestsCanReplaceThem) {
  const FormatSettings saved = UserFormatSettings();
  SetUserFormatSettings(English());
  EXPECT_EQ(UserFormatSettings().decimalSeparator, ".");
  SetUserFormatSettings(saved);
  EXPECT_EQ(UserFormatSettings().decimalSeparator, saved.decimalSeparator);
}

}  // namespace
}  // namespace platform
