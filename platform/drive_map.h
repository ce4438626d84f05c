#pragma once
// Drive letters mapped to host folders, as a Wine prefix's dosdevices/ links do.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class DriveMap {
 public:
  DriveMap() = default;

  // The prefix's dosdevices/ links (c: -> ../drive_c, z: -> /, ...); letters whose link
  // is broken are left out.
  static DriveMap FromWinePrefix(const std::filesystem::path& prefix);
  // $WINEPREFIX, else ~/.wine when it exists; without a prefix Z: maps to "/". Mounted
  // removable and USB volumes without a letter get one (MapRemovableMedia, drives.h).
  static DriveMap FromEnvironment();

  void Map(char letter, std::filesystem::path hostFolder);  // letter in either case
  void Unmap(char letter);
  std::optional<std::filesystem::path> HostFolderOf(char letter) const;
  std::vector<char> Letters() const;  // upper-case, in letter order

  // The Windows form of a host path through the longest mapped folder
  // ("/home/u/.wine/drive_c/x" -> "C:\x"); nullopt when no folder holds it.
  std::optional<std::string> ToWindows(const std::filesystem::path& host) const;

 private:
  std::map<char, std::filesystem::path> folders_;  // key: upper-case letter
};

}  // namespace platform
