#pragma once
// Host file times (seconds and nanoseconds since 1970, UTC) to and from the local
// date-time value that the file functions report.
#include <ctime>

#include "platform/date_time.h"

namespace platform::detail {

TDateTime LocalDateTimeFromTimespec(const timespec& utc);
timespec TimespecFromLocalDateTime(TDateTime local);

}  // namespace platform::detail
