#pragma once
// The shell's folders and the running executable, as Windows path texts (no trailing
// backslash, as the shell returns them).
#include <string>

#include "platform/file_system.h"

namespace platform {

// What the folders are made of; FromProcess() reads $USER, $HOME, $XDG_CONFIG_HOME and
// $XDG_DATA_HOME (the account database when the first two are unset).
struct SpecialFolderEnvironment {
  std::string user;
  std::string home;
  std::string xdgConfigHome;
  std::string xdgDataHome;
  static SpecialFolderEnvironment FromProcess();
};

// Inside the Wine prefix: C:\users\<user>\AppData\Roaming and ...\Local; without one the
// XDG config and data folders through Z:. Empty when no form can be found.
std::string RoamingAppDataFolder(const FileSystem& fs = DefaultFileSystem());
std::string LocalAppDataFolder(const FileSystem& fs = DefaultFileSystem());
std::string RoamingAppDataFolder(const FileSystem& fs, const SpecialFolderEnvironment& env);
std::string LocalAppDataFolder(const FileSystem& fs, const SpecialFolderEnvironment& env);

// The executable's full path (from /proc/self/exe) in Windows form.
std::string ExecutablePath(const FileSystem& fs = DefaultFileSystem());

}  // namespace platform
