// The date-time value, local time and DOS date-times.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <ctime>
#include <string>

#include "platform/date_time.h"

namespace platform {
namespace {

struct SerialCase {
  const char* name;
  int year, month, day;
  double serial;
};

class DateSerial : public testing::TestWithParam<SerialCase> {};

TEST_P(DateSerial, EncodesAndDecodes) {
  const SerialCase& c = GetParam();
  EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.serial);
  const DateParts d = DecodeDate(c.serial);
  EXPECT_EQ(d.year, c.year);
  EXPECT_EQ(d.month, c.month);
  EXPECT_EQ(d.day, c.day);
}

INSTANTIATE_TEST_SUITE_P(Cases, DateSerial,
                         testing::Values(SerialCase{"Zero", 1899, 12, 30, 0},
                                         SerialCase{"UnixEpoch", 1970, 1, 1, 25569},
                                         SerialCase{"UpdateCheckDay", 2016, 2, 10, 42410},
                                         SerialCase{"LeapDay", 2024, 2, 29, 45351},
                                         SerialCase{"BeforeZero", 1899, 12, 29, -1},
                                         SerialCase{"FirstDay", 1, 1, 1, -693593},
                                         SerialCase{"LastDay", 9999, 12, 31, 2958465}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(DateTime, RejectsImpossibleParts) {
  EXPECT_FALSE(EncodeDate(2026, 2, 29));
  EXPECT_FALSE(EncodeDate(1900, 2, 29));
  EXPECT_TRUE(EncodeDate(2000, 2, 29));
  EXPECT_FALSE(EncodeDate(2026, 13, 1));
  EXPECT_FALSE(EncodeDate(0, 1, 1));
  EXPECT_FALSE(EncodeTime(24, 0, 0, 0));
  EXPECT_FALSE(EncodeTime(0, 60, 0, 0));
  EXPECT_FALSE(EncodeTime(0, 0, 0, 1000));
  EXPECT_EQ(EncodeTime(18, 0, 0, 0), 0.75);
}

TEST(DateTime, DecodesTimeRoundedToTheMillisecond) {
  const double value = *EncodeDate(2026, 12, 9) + *EncodeTime(7, 5, 59, 999);
  const TimeParts t = DecodeTime(value);
  EXPECT_EQ(t.hour, 7);
  EXPECT_EQ(t.minute, 5);
  EXPECT_EQ(t.second, 59);
  EXPECT_EQ(t.millisecond, 999);
  // Negative values: the day is the integral part, the time the absolute fraction.
  EXPECT_EQ(DecodeTime(-1.25).hour, 6);
  EXPECT_EQ(DecodeDate(-1.25).day, 29);
  // Out of range and not-a-number values stay sane.
  EXPECT_EQ(DecodeDate(1e300).year, 9999);
  EXPECT_EQ(DecodeDate(std::nan("")).year, 1899);
}

// Runs a test body in a fixed time zone, restoring the previous one.
class InZone : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
    setenv("TZ", "Europe/Warsaw", 1);
    tzset();
  }
  void TearDown() override {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  std::optional<std::string> saved_;
};

TEST_F(InZone, UnixTimeToLocalAndBack) {
  // 2026-07-01 10:00:00 UTC is 12:00 in Warsaw (summer time).
  const std::time_t t = 1782900000;
  const TDateTime local = FromUnixTime(t);
  EXPECT_EQ(DecodeDate(local).month, 7);
  EXPECT_EQ(DecodeTime(local).hour, 12);
  EXPECT_EQ(ToUnixTime(local), t);
}

TEST_F(InZone, DosDateTimeFromUnixTime) {
  // 2026-01-15 13:14:15 local (12:14:15 UTC): odd seconds go down to the even second.
  const std::time_t t = 1768479255;
  const std::uint32_t dos = UnixTimeToDos(t);
  EXPECT_EQ(dos >> 16, ((2026u - 1980) << 9) | (1u << 5) | 15u);
  EXPECT_EQ(dos & 0xFFFF, (13u << 11) | (14u << 5) | 7u);
  EXPECT_EQ(DosToUnixTime(dos), t - 1);
}

struct DosCase {
  const char* name;
  double value;
  std::uint32_t dos;
  double back;  // the value the DOS form stands for
};

class Dos : public testing::TestWithParam<DosCase> {};

TEST_P(Dos, PacksAndUnpacks) {
  const DosCase& c = GetParam();
  EXPECT_EQ(DateTimeToDos(c.value), c.dos);
  EXPECT_DOUBLE_EQ(DosToDateTime(c.dos), c.back);
}

const double kNoon2026 = *EncodeDate(2026, 3, 9) + *EncodeTime(12, 30, 44, 0);
const double kOddSecond = *EncodeDate(2026, 3, 9) + *EncodeTime(12, 30, 45, 600);

INSTANTIATE_TEST_SUITE_P(
    Cases, Dos,
    testing::Values(
        DosCase{"Ordinary", kNoon2026, 0x5C6963D6, kNoon2026},
        DosCase{"OddSecondTruncated", kOddSecond, 0x5C6963D6, kNoon2026},
        DosCase{"FirstDosDay", *EncodeDate(1980, 1, 1), 0x00210000, *EncodeDate(1980, 1, 1)},
        DosCase{"BeforeDosClamps", *EncodeDate(1979, 12, 31) + 0.5, 0x00210000,
                *EncodeDate(1980, 1, 1)},
        DosCase{"ZeroClamps", 0, 0x00210000, *EncodeDate(1980, 1, 1)},
        DosCase{"AfterDosClamps", *EncodeDate(2200, 1, 1), 0xFF9FBF7D,
                *EncodeDate(2107, 12, 31) + *EncodeTime(23, 59, 58, 0)}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Dos, InvalidFieldsGiveZero) {
  EXPECT_EQ(DosToDateTime(0), 0);                       // month 0, day 0
  EXPECT_EQ(DosToDateTime(0x00210000 | (24u << 11)), 0);  // hour 24
  EXPECT_EQ(DosToDateTime(((2u << 5) | 30u) << 16), 0);  // 30 February 1980
}

}  // namespace
}  // namespace platform
