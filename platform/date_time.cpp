// The date-time value (days since 1899-12-30, time as the fraction), local time and DOS
// date-times.
#include "platform/date_time.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace platform {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// The value range of the date-time type: 0001-01-01 .. 9999-12-31 23:59:59.999.
constexpr double kMinValue = -693593.0;
constexpr double kMaxValue = 2958466.0 - 1.0 / kMsPerDay;

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

DateParts CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2 ? 1 : 0)), static_cast<int>(m), static_cast<int>(d)};
}

// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// A value split into whole days and milliseconds of the day, as the platform does it:
// the day is the integral part, the time the absolute fraction (so -1.25 is
// 1899-12-29 06:00). Values outside the type's range or not finite are clamped.
struct Split {
  std::int64_t day;
  std::int64_t ms;
};

Split SplitValue(TDateTime value) {
  if (!std::isfinite(value)) value = 0;
  if (value < kMinValue) value = kMinValue;
  if (value > kMaxValue) value = kMaxValue;
  const double whole = std::trunc(value);
  auto day = static_cast<std::int64_t>(whole);
  auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
  if (ms >= kMsPerDay) {  // rounding reached the next (or, below zero, the previous) day
    ms -= kMsPerDay;
    day += value < 0 ? -1 : 1;
  }
  return {day, ms};
}

TDateTime FromTm(const std::tm& tm, int millisecond) {
  const auto date = EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
  // A leap second (tm_sec 60) counts as 59.
  const auto time = EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec > 59 ? 59 : tm.tm_sec,
                               millisecond);
  return date.value_or(0) + time.value_or(0);
}

}  // namespace

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  return FromTm(tm, static_cast<int>(ts.tv_nsec / 1'000'000));
}

std::optional<TDateTime> EncodeDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                           static_cast<unsigned>(day)) -
                             kEpochOffset);
}

std::optional<TDateTime> EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return std::nullopt;
  }
  const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<double>(ms) / kMsPerDay;
}

DateParts DecodeDate(TDateTime value) { return CivilFromDays(SplitValue(value).day + kEpochOffset); }

TimeParts DecodeTime(TDateTime value) {
  const std::int64_t ms = SplitValue(value).ms;
  return {static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
          static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

TDateTime FromUnixTime(std::time_t utcSeconds) {
  std::tm tm{};
  if (localtime_r(&utcSeconds, &tm) == nullptr) return 0;
  return FromTm(tm, 0);
}

std::time_t ToUnixTime(TDateTime localTime) {
  const DateParts d = DecodeDate(localTime);
  const TimeParts t = DecodeTime(localTime);
  std::tm tm{};
  tm.tm_year = d.year - 1900;
  tm.tm_mon = d.month - 1;
  tm.tm_mday = d.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;  // let the time zone decide
  return mktime(&tm);
}

std::uint32_t DateTimeToDos(TDateTime value) {
  DateParts d = DecodeDate(value);
  TimeParts t = DecodeTime(value);
  if (d.year < 1980) {
    d = {1980, 1, 1};
    t = {};
  } else if (d.year > 2107) {
    d = {2107, 12, 31};
    t = {23, 59, 59, 0};
  }
  const auto date = static_cast<std::uint32_t>(((d.year - 1980) << 9) | (d.month << 5) | d.day);
  const auto time = static_cast<std::uint32_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
  return (date << 16) | time;
}

TDateTime DosToDateTime(std::uint32_t dos) {
  const std::uint32_t date = dos >> 16;
  const std::uint32_t time = dos & 0xFFFF;
  const auto year = static_cast<int>(1980 + (date >> 9));
  const auto month = static_cast<int>((date >> 5) & 0x0F);
  const auto day = static_cast<int>(date & 0x1F);
  const auto d = EncodeDate(year, month, day);
  const auto t = EncodeTime(static_cast<int>(time >> 11), static_cast<int>((time >> 5) & 0x3F),
                            static_cast<int>((time & 0x1F) * 2), 0);
  if (!d || !t) return 0;
  return *d + *t;
}

std::uint32_t UnixTimeToDos(std::time_t utcSeconds) {
  return DateTimeToDos(FromUnixTime(utcSeconds));
}

std::time_t DosToUnixTime(std::uint32_t dos) { return ToUnixTime(DosToDateTime(dos)); }

}  // namespace platform
