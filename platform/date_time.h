#pragma once
// The platform date-time value: days since 30 December 1899 as a double, the time of day
// as the fraction. 0 means "not set". Local time unless a name says otherwise.
#include <cstdint>
#include <ctime>
#include <optional>

namespace platform {

using TDateTime = double;

struct DateParts { int year = 1899, month = 12, day = 30; };
struct TimeParts { int hour = 0, minute = 0, second = 0, millisecond = 0; };

TDateTime Now();
std::optional<TDateTime> EncodeDate(int year, int month, int day);  // nullopt when invalid
std::optional<TDateTime> EncodeTime(int hour, int minute, int second, int millisecond);
DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);

TDateTime FromUnixTime(std::time_t utcSeconds);  // to local time
std::time_t ToUnixTime(TDateTime localTime);

// MS-DOS date and time as ZIP stores them: date in the high 16 bits, time in the low;
// two-second resolution, years 1980..2107 (earlier dates clamp to 1980-01-01 00:00).
std::uint32_t DateTimeToDos(TDateTime value);
TDateTime DosToDateTime(std::uint32_t dos);  // invalid fields give nullopt-free 0
std::uint32_t UnixTimeToDos(std::time_t utcSeconds);
std::time_t DosToUnixTime(std::uint32_t dos);

}  // namespace platform
