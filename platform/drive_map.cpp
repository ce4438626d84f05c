#include "platform/drive_map.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/drives.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

char UpperLetter(char letter) {
  if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
  return letter;
}

bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

// The parts of `host` below `folder`, or nullopt when `folder` does not hold it.
std::optional<fs::path> Below(const fs::path& host, const fs::path& folder) {
  auto h = host.begin();
  for (const auto& part : folder) {
    if (part.empty()) break;  // the folder's trailing separator
    if (h == host.end() || *h != part) return std::nullopt;
    ++h;
  }
  fs::path rest;
  for (; h != host.end(); ++h) {
    if (!h->empty()) rest /= *h;
  }
  return rest;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    return pw->pw_dir;
  }
  return {};
}

}  // namespace

DriveMap DriveMap::FromWinePrefix(const fs::path& prefix) {
  DriveMap map;
  std::error_code ec;
  const fs::path devices = prefix / "dosdevices";
  for (fs::directory_iterator it(devices, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // "c:" is a drive; "c::" (the raw device) and anything else is not.
    if (name.size() != 2 || name[1] != ':' || !IsLetter(UpperLetter(name[0]))) continue;
    std::error_code linkEc;
    const fs::path target = fs::canonical(it->path(), linkEc);
    if (linkEc || !fs::is_directory(target, linkEc)) continue;
    map.Map(name[0], target);
  }
  return map;
}

DriveMap DriveMap::FromEnvironment() {
  fs::path prefix;
  if (const char* env = std::getenv("WINEPREFIX"); env != nullptr && *env != '\0') {
    prefix = env;
  } else if (const std::string home = HomeFolder(); !home.empty()) {
    prefix = fs::path(home) / ".wine";
  }
  std::error_code ec;
  DriveMap map;
  if (!prefix.empty() && fs::is_directory(prefix / "dosdevices", ec)) {
    map = FromWinePrefix(prefix);
  }
  if (map.folders_.empty()) map.Map('Z', "/");
  MapRemovableMedia(map);
  return map;
}

void DriveMap::Map(char letter, fs::path hostFolder) {
  letter = UpperLetter(letter);
  if (!IsLetter(letter)) return;
  folders_[letter] = fs::path(std::move(hostFolder)).lexically_normal();
}

void DriveMap::Unmap(char letter) { folders_.erase(UpperLetter(letter)); }

std::optional<fs::path> DriveMap::HostFolderOf(char letter) const {
  const auto it = folders_.find(UpperLetter(letter));
  if (it == folders_.end()) return std::nullopt;
  return it->second;
}

std::vector<char> DriveMap::Letters() const {
  std::vector<char> letters;
  letters.reserve(folders_.size());
  for (const auto& [letter, folder] : folders_) letters.push_back(letter);
  return letters;
}

std::optional<std::string> DriveMap::ToWindows(const fs::path& host) const {
  std::error_code ec;
  const fs::path absolute = fs::absolute(host, ec).lexically_normal();
  if (ec) return std::nullopt;
  auto convert = [this](const fs::path& path) -> std::optional<std::string> {
    const std::pair<const char, fs::path>* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& entry : folders_) {
      const std::size_t length = entry.second.native().size();
      if ((best == nullptr || length > bestLength) && Below(path, entry.second)) {
        best = &entry;
        bestLength = length;
      }
    }
    if (best == nullptr) return std::nullopt;
    std::string out{best->first, ':', '\\'};
    bool first = true;
    const fs::path rest = *Below(path, best->second);
    for (const auto& part : rest) {
      if (!first) out += '\\';
      out += part.string();
      first = false;
    }
    return out;
  };
  if (auto result = convert(absolute)) return result;
  // A path reached through a symbolic link may lie in a mapped folder once resolved.
  const fs::path resolved = fs::weakly_canonical(absolute, ec);
  if (ec || resolved == absolute) return std::nullopt;
  return convert(resolved);
}

}  // namespace platform
