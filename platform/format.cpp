// Number and date-time formatting with format settings, and the settings themselves.
#include "platform/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

// A rounded decimal form of a number: sign, integer digits (no leading zeros, empty for
// zero) and exactly the requested number of fraction digits.
struct Decimal {
  bool negative = false;
  std::string integer;
  std::string fraction;
  bool IsZero() const {
    return integer.empty() && fraction.find_first_not_of('0') == std::string::npos;
  }
};

// Rounds half away from zero on the 15-significant-digit decimal form of `value`, the way
// the platform's float formatting does (so 0.125 -> 0.13 although 0.125 is a binary tie).
Decimal ToDecimal(double value, int decimals) {
  decimals = std::clamp(decimals, 0, 18);
  Decimal out;
  out.negative = std::signbit(value);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
  // buf is "d.dddddddddddddde+XX".
  std::string digits;
  const char* p = buf;
  for (; *p != 'e' && *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  int point = exponent + 1;  // digits before the decimal point
  if (point <= 0) {
    digits.insert(0, static_cast<std::size_t>(1 - point), '0');
    point = 1;
  }
  const auto keep = static_cast<std::size_t>(point + decimals);
  if (digits.size() < keep + 1) digits.resize(keep + 1, '0');
  const bool roundUp = digits[keep] >= '5';
  digits.resize(keep);
  if (roundUp) {
    std::size_t i = keep;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(0, 1, '1');
      ++point;
    } else {
      ++digits[i - 1];
    }
  }
  out.integer = digits.substr(0, static_cast<std::size_t>(point));
  out.fraction = digits.substr(static_cast<std::size_t>(point));
  const auto first = out.integer.find_first_not_of('0');
  out.integer.erase(0, first == std::string::npos ? out.integer.size() : first);
  if (out.IsZero()) out.negative = false;
  return out;
}

std::string Group(const std::string& digits, const std::string& separator) {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

// Text for values that have no digits.
std::optional<std::string> NonFinite(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return std::nullopt;
}

// Splits a float pattern into its ";" sections, quotes respected.
std::vector<std::string_view> Sections(std::string_view pattern) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      out.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(pattern.substr(start));
  return out;
}

std::string FormatSection(std::string_view section, double value, bool withSign,
                          const FormatSettings& fs) {
  // First pass: the placeholders' layout.
  int minInteger = 0, fractionPlaces = 0, minFraction = 0;
  bool grouping = false, seenPoint = false, seenZero = false;
  char quote = 0;
  for (const char c : section) {
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else if (c == ',' && !seenPoint) {
      grouping = true;
    } else if (c == '0' || c == '#') {
      if (seenPoint) {
        ++fractionPlaces;
        if (c == '0') minFraction = fractionPlaces;
      } else {
        if (c == '0') seenZero = true;
        if (seenZero) ++minInteger;
      }
    }
  }
  const Decimal d = ToDecimal(value, fractionPlaces);
  std::string integer = d.integer;
  if (static_cast<int>(integer.size()) < minInteger) {
    integer.insert(0, static_cast<std::size_t>(minInteger) - integer.size(), '0');
  }
  if (grouping) integer = Group(integer, fs.thousandSeparator);
  std::string fraction = d.fraction;
  while (static_cast<int>(fraction.size()) > minFraction && fraction.back() == '0') {
    fraction.pop_back();
  }
  const bool negative = withSign && d.negative;

  // Second pass: literals copied, the integer part at the first integer placeholder.
  std::string out;
  bool integerDone = false, pointDone = false;
  std::size_t fractionIndex = 0;
  const auto putInteger = [&] {
    if (integerDone) return;
    if (negative) out += '-';
    out += integer;
    integerDone = true;
  };
  quote = 0;
  for (const char c : section) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        out += c;
      }
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == '0' || c == '#') && !pointDone) {
      putInteger();
    } else if (c == '.' && !pointDone) {
      putInteger();
      pointDone = true;
      if (!fraction.empty()) out += fs.decimalSeparator;
    } else if ((c == '0' || c == '#') && pointDone) {
      if (fractionIndex < fraction.size()) out += fraction[fractionIndex];
      ++fractionIndex;
    } else if (c == ',' && !pointDone) {
      // grouping marker, not shown
    } else {
      out += c;
    }
  }
  return out;
}

// The general form used for an empty pattern: up to 15 significant digits, no grouping.
std::string General(double value, const FormatSettings& fs) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string out = buf;
  if (const auto dot = out.find('.'); dot != std::string::npos) {
    out.replace(dot, 1, fs.decimalSeparator);
  }
  return out;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view prefix) {
  if (text.size() - pos < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Upper(text[pos + i]) != Upper(prefix[i])) return false;
  }
  return true;
}

std::string TwoDigits(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

std::string Padded(int n, std::size_t width) {
  std::string s = std::to_string(n);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

int DayOfWeek(TDateTime value) {  // 0 = Sunday
  const auto days = static_cast<long long>(std::floor(value));
  // 1899-12-30 was a Saturday.
  return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

bool HasAmPm(std::string_view pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (StartsWithNoCase(pattern, i, "am/pm") || StartsWithNoCase(pattern, i, "a/p") ||
        StartsWithNoCase(pattern, i, "ampm")) {
      return true;
    }
  }
  return false;
}

void AppendDateTime(std::string& out, std::string_view pattern, TDateTime value,
                    const FormatSettings& fs, int depth) {
  if (depth > 2) return;  // "c" inside a short date format must not recurse forever
  const DateParts date = DecodeDate(value);
  const TimeParts time = DecodeTime(value);
  const bool twelveHour = HasAmPm(pattern);
  char lastToken = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    char token = Upper(c);
    std::size_t count = 1;
    if (token >= 'A' && token <= 'Z') {
      while (i + count < pattern.size() && Upper(pattern[i + count]) == token) ++count;
    }
    if (token == 'M' && lastToken == 'H') token = 'N';
    if (token >= 'A' && token <= 'Z') lastToken = token;
    switch (token) {
      case 'Y':
        out += count <= 2 ? TwoDigits(date.year % 100) : Padded(date.year, 4);
        break;
      case 'M':
        if (count == 1) out += std::to_string(date.month);
        else if (count == 2) out += TwoDigits(date.month);
        else if (count == 3) out += fs.shortMonthNames[static_cast<std::size_t>(date.month - 1)];
        else out += fs.longMonthNames[static_cast<std::size_t>(date.month - 1)];
        if (count > 4) count = 4;
        break;
      case 'D':
        if (count == 1) out += std::to_string(date.day);
        else if (count == 2) out += TwoDigits(date.day);
        else if (count == 3) out += fs.shortDayNames[static_cast<std::size_t>(DayOfWeek(value))];
        else if (count == 4) out += fs.longDayNames[static_cast<std::size_t>(DayOfWeek(value))];
        else AppendDateTime(out, fs.shortDateFormat, value, fs, depth + 1);
        if (count > 5) count = 5;
        break;
      case 'H': {
        int hour = time.hour;
        if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
        out += count == 1 ? std::to_string(hour) : TwoDigits(hour);
        if (count > 2) count = 2;
        break;
      }
      case 'N':
        out += count == 1 ? std::to_string(time.minute) : TwoDigits(time.minute);
        break;
      case 'S':
        out += count == 1 ? std::to_string(time.second) : TwoDigits(time.second);
        if (count > 2) count = 2;
        break;
      case 'Z':
        out += count < 3 ? std::to_string(time.millisecond) : Padded(time.millisecond, 3);
        if (count > 3) count = 3;
        break;
      case 'T':
        AppendDateTime(out, count == 1 ? fs.shortTimeFormat : fs.longTimeFormat, value, fs,
                       depth + 1);
        if (count > 2) count = 2;
        break;
      case 'C':
        AppendDateTime(out, fs.shortDateFormat, value, fs, depth + 1);
        if (time.hour != 0 || time.minute != 0 || time.second != 0) {
          out += ' ';
          AppendDateTime(out, fs.longTimeFormat, value, fs, depth + 1);
        }
        count = 1;
        break;
      case 'A':
        if (StartsWithNoCase(pattern, i, "am/pm")) {
          const std::string& marker = time.hour < 12 ? fs.timeAmString : fs.timePmString;
          out += marker.empty() ? (time.hour < 12 ? "am" : "pm") : marker;
          count = 5;
        } else if (StartsWithNoCase(pattern, i, "ampm")) {
          out += time.hour < 12 ? fs.timeAmString : fs.timePmString;
          count = 4;
        } else if (StartsWithNoCase(pattern, i, "a/p")) {
          out += time.hour < 12 ? "a" : "p";
          count = 3;
        } else {
          out.append(count, c);
        }
        break;
      case '/':
        out += fs.dateSeparator;
        break;
      case ':':
        out += fs.timeSeparator;
        break;
      case '"':
      case '\'': {
        const auto end = pattern.find(c, i + 1);
        const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
        out += pattern.substr(i + 1, stop - i - 1);
        count = stop - i + (end == std::string_view::npos ? 0 : 1);
        break;
      }
      default:
        out.append(pattern.substr(i, count));
        break;
    }
    i += count;
  }
}

// --- Parsing ---

struct Scanner {
  std::string_view text;
  std::size_t pos = 0;

  void SkipBlanks() {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  }
  bool AtEnd() {
    SkipBlanks();
    return pos >= text.size();
  }
  // Up to `maxDigits` decimal digits; `digits` tells how many were read.
  bool Number(int& value, std::size_t& digits, std::size_t maxDigits = 4) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      if (digits == maxDigits) return false;
      value = value * 10 + (text[pos] - '0');
      ++digits;
      ++pos;
    }
    return digits > 0;
  }
  bool Literal(std::string_view s) {
    SkipBlanks();
    if (s.empty() || text.substr(pos, s.size()) != s) return false;
    pos += s.size();
    return true;
  }
  bool LiteralNoCase(std::string_view s) {
    SkipBlanks();
    if (s.empty() || !StartsWithNoCase(text, pos, s)) return false;
    pos += s.size();
    return true;
  }
};

enum class DateOrder { kDmy, kMdy, kYmd };

DateOrder OrderOf(std::string_view shortDateFormat) {
  for (const char c : shortDateFormat) {
    switch (Upper(c)) {
      case 'D': return DateOrder::kDmy;
      case 'M': return DateOrder::kMdy;
      case 'Y': return DateOrder::kYmd;
      default: break;
    }
  }
  return DateOrder::kDmy;
}

int CurrentYear() { return DecodeDate(Now()).year; }

}  // namespace

FormatSettings PolishFormatSettings() { return FormatSettings{}; }

std::string FormatNumber(double value, int decimals, const FormatSettings& fs) {
  if (auto text = NonFinite(value)) return *text;
  const Decimal d = ToDecimal(value, decimals);
  std::string out = d.negative ? "-" : "";
  out += Group(d.integer.empty() ? "0" : d.integer, fs.thousandSeparator);
  if (!d.fraction.empty()) out += fs.decimalSeparator + d.fraction;
  return out;
}

std::string FormatFloat(std::string_view pattern, double value, const FormatSettings& fs) {
  if (auto text = NonFinite(value)) return *text;
  if (pattern.empty()) return General(value, fs);
  const auto sections = Sections(pattern);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
    return FormatSection(sections[2], value, false, fs);
  }
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
    return FormatSection(sections[1], -value, false, fs);
  }
  return FormatSection(sections[0], value, true, fs);
}

std::string FormatDateTime(std::string_view pattern, TDateTime value, const FormatSettings& fs) {
  std::string out;
  AppendDateTime(out, pattern.empty() ? std::string_view("c") : pattern, value, fs, 0);
  return out;
}

std::optional<TDateTime> TryStrToDate(std::string_view text, const FormatSettings& fs) {
  Scanner s{text};
  int n[3] = {0, 0, 0};
  std::size_t digits[3] = {0, 0, 0};
  int count = 0;
  if (!s.Number(n[0], digits[0])) return std::nullopt;
  count = 1;
  while (count < 3 && s.Literal(fs.dateSeparator)) {
    if (!s.Number(n[count], digits[count])) return std::nullopt;
    ++count;
  }
  if (count < 2 || !s.AtEnd()) return std::nullopt;
  int year = 0, month = 0, day = 0;
  std::size_t yearDigits = 0;
  const DateOrder order = OrderOf(fs.shortDateFormat);
  if (count == 2) {
    year = CurrentYear();
    yearDigits = 4;
    if (order == DateOrder::kMdy || order == DateOrder::kYmd) {
      month = n[0], day = n[1];
    } else {
      day = n[0], month = n[1];
    }
  } else {
    switch (order) {
      case DateOrder::kDmy: day = n[0], month = n[1], year = n[2], yearDigits = digits[2]; break;
      case DateOrder::kMdy: month = n[0], day = n[1], year = n[2], yearDigits = digits[2]; break;
      case DateOrder::kYmd: year = n[0], yearDigits = digits[0], month = n[1], day = n[2]; break;
    }
  }
  if (yearDigits <= 2) {
    // The century window: a two-digit year lands within `window` years before now and
    // the rest of the century after.
    const int window = fs.twoDigitYearCenturyWindow;
    const int pivot = CurrentYear() - window;
    year += pivot / 100 * 100;
    if (window > 0 && year < pivot) year += 100;
  }
  return EncodeDate(year, month, day);
}

std::optional<TDateTime> TryStrToTime(std::string_view text, const FormatSettings& fs) {
  Scanner s{text};
  int baseHour = -1;
  const auto scanMarker = [&] {
    if (s.LiteralNoCase(fs.timeAmString) || s.LiteralNoCase("AM")) {
      baseHour = 0;
    } else if (s.LiteralNoCase(fs.timePmString) || s.LiteralNoCase("PM")) {
      baseHour = 12;
    }
  };
  scanMarker();
  int hour = 0, minute = 0, second = 0, ms = 0;
  std::size_t digits = 0;
  if (!s.Number(hour, digits, 2)) return std::nullopt;
  if (s.Literal(fs.timeSeparator)) {
    if (!s.Number(minute, digits, 2)) return std::nullopt;
    if (s.Literal(fs.timeSeparator)) {
      if (!s.Number(second, digits, 2)) return std::nullopt;
      if (s.Literal(fs.decimalSeparator) && !s.Number(ms, digits, 3)) return std::nullopt;
    }
  }
  if (baseHour < 0) scanMarker();
  if (!s.AtEnd()) return std::nullopt;
  if (baseHour >= 0) {
    if (hour == 0 || hour > 12) return std::nullopt;
    hour = hour % 12 + baseHour;
  }
  return EncodeTime(hour, minute, second, ms);
}

}  // namespace platform
