#include "platform/file_time.h"

#include <cmath>

namespace platform::detail {
namespace {

constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01 as days since 1899-12-30
constexpr double kSecondsPerDay = 86400.0;

}  // namespace

TDateTime LocalDateTimeFromTimespec(const timespec& utc) {
  tm local{};
  const time_t seconds = utc.tv_sec;
  if (localtime_r(&seconds, &local) == nullptr) return 0;
  const double localSeconds = static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff) +
                              static_cast<double>(utc.tv_nsec) / 1e9;
  return kUnixEpochDays + localSeconds / kSecondsPerDay;
}

timespec TimespecFromLocalDateTime(TDateTime local) {
  // Split into the civil date-time it stands for and let mktime apply the zone rules.
  const double totalMs = std::round((local - kUnixEpochDays) * kSecondsPerDay * 1000.0);
  const auto ms = static_cast<long long>(totalMs);
  long long days = ms / 86400000LL;
  long long msOfDay = ms % 86400000LL;
  if (msOfDay < 0) {
    msOfDay += 86400000LL;
    --days;
  }
  tm civil{};
  civil.tm_year = 70;
  civil.tm_mon = 0;
  civil.tm_mday = static_cast<int>(1 + days);  // mktime normalises the day count
  civil.tm_hour = static_cast<int>(msOfDay / 3600000LL);
  civil.tm_min = static_cast<int>(msOfDay / 60000LL % 60);
  civil.tm_sec = static_cast<int>(msOfDay / 1000LL % 60);
  civil.tm_isdst = -1;
  timespec out{};
  out.tv_sec = mktime(&civil);
  out.tv_nsec = static_cast<long>(msOfDay % 1000) * 1000000L;
  return out;
}

}  // namespace platform::detail
