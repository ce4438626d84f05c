#pragma once
// Format settings and the number and date-time formatting the program's texts use.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace platform {

struct FormatSettings {
  std::string decimalSeparator = ",";
  std::string thousandSeparator = "\u00A0";  // no-break space
  std::string dateSeparator = ".";
  std::string timeSeparator = ":";
  std::string shortDateFormat = "dd.MM.yyyy";
  std::string shortTimeFormat = "hh:mm";
  std::string longTimeFormat = "hh:mm:ss";
  std::array<std::string, 12> shortMonthNames{"sty", "lut", "mar", "kwi", "maj", "cze",
                                              "lip", "sie", "wrz", "paź", "lis", "gru"};
  std::array<std::string, 12> longMonthNames{
      "styczeń", "luty",     "marzec",   "kwiecień",    "maj",      "czerwiec",
      "lipiec",  "sierpień", "wrzesień", "październik", "listopad", "grudzień"};
  std::array<std::string, 7> shortDayNames{"niedz.", "pon.", "wt.", "śr.", "czw.", "pt.", "sob."};
  std::array<std::string, 7> longDayNames{"niedziela", "poniedziałek", "wtorek", "środa",
                                          "czwartek",  "piątek",       "sobota"};
  std::string timeAmString = "";  // a 12-hour clock's markers; empty on a 24-hour locale
  std::string timePmString = "";
  int twoDigitYearCenturyWindow = 50;
};

FormatSettings PolishFormatSettings();
// The host locale's settings (LC_NUMERIC / LC_TIME), Polish where the host gives nothing.
FormatSettings HostFormatSettings();
// The settings the program formats with: the host's, unless a test replaced them.
const FormatSettings& UserFormatSettings();
void SetUserFormatSettings(const FormatSettings& settings);

// Digit grouping and exactly `decimals` decimals, rounded: 1233.798 -> "1 233,80".
std::string FormatNumber(double value, int decimals, const FormatSettings& fs);
// A float pattern: "0" a required digit, "#" an optional one, "." the decimal separator,
// "," grouping, quoted and other text copied ("0.## GB" -> "5,36 GB", "8 GB"); up to three
// sections "positive;negative;zero". The whole integer part is put at the first integer
// placeholder. Rounding is half away from zero on the 15-digit decimal form, so 0.125 with
// two decimals gives 0,13.
std::string FormatFloat(std::string_view pattern, double value, const FormatSettings& fs);
// Date-time patterns: d dd ddd dddd, m mm mmm mmmm (minutes after h), M MM MMM MMMM,
// yy yyyy, h hh, n nn, s ss, z zzz, "/" the date separator, ":" the time separator,
// quoted text copied. Letters compare without case; "m" right after an hour (separators
// between allowed) means minutes. Also c, t, tt, ddddd, am/pm and a/p.
std::string FormatDateTime(std::string_view pattern, TDateTime value, const FormatSettings& fs);

// Parsing with the settings' short date format (order of d, M, y) and date separator,
// and a time "h[:m[:s[.z]]]" with the time separator. nullopt when the text does not parse
// or names an impossible date or time. With two date numbers the year is the current one;
// a year of one or two digits falls into the century window.
std::optional<TDateTime> TryStrToDate(std::string_view text, const FormatSettings& fs);
std::optional<TDateTime> TryStrToTime(std::string_view text, const FormatSettings& fs);

}  // namespace platform
