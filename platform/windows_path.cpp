#include "platform/windows_path.h"

namespace platform {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::optional<WindowsPath> ParseWindowsPath(std::string_view text) {
  // A NUL would end the host path early and name another file.
  if (text.find('\0') != std::string_view::npos) return std::nullopt;
  // "\\?\C:\x" skips the normalisation; we still fold separators, "." and "..", and only
  // keep the final name's trailing dots and spaces, as Windows does for such paths.
  bool verbatim = false;
  if (text.size() >= 4 && IsSeparator(text[0]) && IsSeparator(text[1]) && text[2] == '?' &&
      IsSeparator(text[3])) {
    text.remove_prefix(4);
    verbatim = true;
  }
  if (text.size() < 2 || !IsAsciiLetter(text[0]) || text[1] != ':') return std::nullopt;
  WindowsPath result;
  result.drive = static_cast<char>(text[0] & ~0x20);
  // "C:x" is relative to the drive's current folder, which is always its root here.
  std::size_t i = 2;
  while (i < text.size()) {
    while (i < text.size() && IsSeparator(text[i])) ++i;
    std::size_t end = i;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    const std::string_view part = text.substr(i, end - i);
    i = end;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!result.components.empty()) result.components.pop_back();
      continue;
    }
    result.components.emplace_back(part);
  }
  // The final name loses its trailing dots and spaces ("C:\\a.txt " is "C:\\a.txt").
  if (!verbatim && !result.components.empty()) {
    std::string& last = result.components.back();
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
    if (last.empty()) result.components.pop_back();
  }
  return result;
}

std::string JoinWindowsPath(char drive, const std::vector<std::string>& components) {
  std::string out{drive, ':'};
  if (components.empty()) return out + '\\';
  for (const auto& part : components) {
    out += '\\';
    out += part;
  }
  return out;
}

}  // namespace platform
