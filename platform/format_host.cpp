// Format settings from the host locale, and the settings the program formats with.
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <string>

#include "platform/code_page.h"
#include "platform/format.h"

namespace platform {
namespace {

// The locale name the environment chooses for `category`, as setlocale(…, "") would.
std::string EnvironmentLocale(const char* categoryVariable) {
  for (const char* name : {"LC_ALL", categoryVariable, "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

bool IsPlainC(const std::string& name) {
  return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// A locale text usable as UTF-8; texts of locales in other encodings are not converted.
std::optional<std::string> Text(nl_item item, locale_t loc) {
  const char* value = nl_langinfo_l(item, loc);
  if (value == nullptr || *value == '\0' || !IsValidUtf8(value)) return std::nullopt;
  return std::string(value);
}

// Turns a strftime date or time format ("%d.%m.%Y", "%H:%M:%S") into a platform pattern,
// and reports the first separator between two fields.
std::string FromStrftime(std::string_view format, std::string& separator) {
  std::string out;
  bool afterField = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      char c = format[++i];
      if ((c == 'E' || c == 'O' || c == '-' || c == '_' || c == '0') && i + 1 < format.size()) {
        c = format[++i];
      }
      switch (c) {
        case 'd': out += "dd"; break;
        case 'e': out += "d"; break;
        case 'm': out += "MM"; break;
        case 'b': case 'h': out += "MMM"; break;
        case 'B': out += "MMMM"; break;
        case 'Y': out += "yyyy"; break;
        case 'y': out += "yy"; break;
        case 'H': out += "hh"; break;
        case 'k': case 'I': case 'l': out += "h"; break;
        case 'M': out += "nn"; break;
        case 'S': out += "ss"; break;
        case 'p': out += "AMPM"; break;
        case 'D': out += "MM/dd/yy"; separator = "/"; break;
        case 'T': out += "hh:nn:ss"; separator = ":"; break;
        case 'r': out += "h:nn:ss AMPM"; separator = ":"; break;
        case 'R': out += "hh:nn"; separator = ":"; break;
        case 'F': out += "yyyy-MM-dd"; separator = "-"; break;
        default: break;
      }
      afterField = true;
    } else {
      if (afterField && separator.empty() && format[i] != ' ') separator = format[i];
      out += format[i];
      afterField = false;
    }
  }
  return out;
}

FormatSettings FromLocale(locale_t loc) {
  FormatSettings fs = PolishFormatSettings();
  if (auto v = Text(RADIXCHAR, loc)) fs.decimalSeparator = *v;
  // An empty thousands separator is a real choice ("no grouping").
  if (const char* v = nl_langinfo_l(THOUSEP, loc); v != nullptr && IsValidUtf8(v)) {
    fs.thousandSeparator = v;
  }
  if (auto v = Text(D_FMT, loc)) {
    std::string separator;
    const std::string pattern = FromStrftime(*v, separator);
    if (!separator.empty()) fs.dateSeparator = separator;
    fs.shortDateFormat = pattern;
  }
  if (auto v = Text(T_FMT, loc)) {
    std::string separator;
    const std::string pattern = FromStrftime(*v, separator);
    if (!separator.empty()) fs.timeSeparator = separator;
    fs.longTimeFormat = pattern;
    // The short form drops the seconds field and the separator before it.
    std::string shortPattern = pattern;
    if (const auto sec = shortPattern.find("ss"); sec != std::string::npos && sec > 0) {
      shortPattern.erase(sec - separator.size(), separator.size() + 2);
    }
    fs.shortTimeFormat = shortPattern;
  }
  for (int m = 0; m < 12; ++m) {
#ifdef ABALTMON_1
    const nl_item shortItem = static_cast<nl_item>(ABALTMON_1 + m);
#else
    const nl_item shortItem = static_cast<nl_item>(ABMON_1 + m);
#endif
#ifdef ALTMON_1
    const nl_item longItem = static_cast<nl_item>(ALTMON_1 + m);
#else
    const nl_item longItem = static_cast<nl_item>(MON_1 + m);
#endif
    if (auto v = Text(shortItem, loc)) fs.shortMonthNames[static_cast<std::size_t>(m)] = *v;
    if (auto v = Text(longItem, loc)) fs.longMonthNames[static_cast<std::size_t>(m)] = *v;
  }
  for (int d = 0; d < 7; ++d) {
    if (auto v = Text(static_cast<nl_item>(ABDAY_1 + d), loc)) {
      fs.shortDayNames[static_cast<std::size_t>(d)] = *v;
    }
    if (auto v = Text(static_cast<nl_item>(DAY_1 + d), loc)) {
      fs.longDayNames[static_cast<std::size_t>(d)] = *v;
    }
  }
  fs.timeAmString = Text(AM_STR, loc).value_or("");
  fs.timePmString = Text(PM_STR, loc).value_or("");
  return fs;
}

FormatSettings& UserSettingsStorage() {
  static FormatSettings settings = HostFormatSettings();
  return settings;
}

}  // namespace

FormatSettings HostFormatSettings() {
  const std::string numeric = EnvironmentLocale("LC_NUMERIC");
  const std::string time = EnvironmentLocale("LC_TIME");
  if (IsPlainC(numeric) && IsPlainC(time)) return PolishFormatSettings();
  // Each category on its own, so that one unknown name does not lose the other.
  FormatSettings fs = PolishFormatSettings();
  if (!IsPlainC(time)) {
    if (locale_t loc = newlocale(LC_TIME_MASK, time.c_str(), nullptr)) {
      const FormatSettings t = FromLocale(loc);
      freelocale(loc);
      fs.dateSeparator = t.dateSeparator;
      fs.timeSeparator = t.timeSeparator;
      fs.shortDateFormat = t.shortDateFormat;
      fs.shortTimeFormat = t.shortTimeFormat;
      fs.longTimeFormat = t.longTimeFormat;
      fs.shortMonthNames = t.shortMonthNames;
      fs.longMonthNames = t.longMonthNames;
      fs.shortDayNames = t.shortDayNames;
      fs.longDayNames = t.longDayNames;
      fs.timeAmString = t.timeAmString;
      fs.timePmString = t.timePmString;
    }
  }
  if (!IsPlainC(numeric)) {
    if (locale_t loc = newlocale(LC_NUMERIC_MASK, numeric.c_str(), nullptr)) {
      const FormatSettings n = FromLocale(loc);
      freelocale(loc);
      fs.decimalSeparator = n.decimalSeparator;
      fs.thousandSeparator = n.thousandSeparator;
    }
  }
  return fs;
}

const FormatSettings& UserFormatSettings() { return UserSettingsStorage(); }

void SetUserFormatSettings(const FormatSettings& settings) { UserSettingsStorage() = settings; }

}  // namespace platform
