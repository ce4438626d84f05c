#include "platform/file_time.h"

namespace platform::detail {

TDateTime LocalDateTimeFromTimespec(const timespec& utc) {
  const TDateTime whole = FromUnixTime(utc.tv_sec);
  if (whole == 0) return 0;
  return whole + static_cast<double>(utc.tv_nsec) / 86400e9;
}

timespec TimespecFromLocalDateTime(TDateTime local) {
  timespec out{};
  out.tv_sec = ToUnixTime(local);
  out.tv_nsec = static_cast<long>(DecodeTime(local).millisecond) * 1'000'000L;
  return out;
}

}  // namespace platform::detail
