#pragma once
// The shell's folders and the running executable, as Windows path texts (no trailing
// backslash, as the shell returns them).
#include <string>

#include "platform/file_system.h"

namespace platform {

// Inside the Wine prefix: C:\users\<user>\AppData\Roaming and ...\Local; without one the
// XDG config and data folders through Z:. Empty when no form can be found.
std::string RoamingAppDataFolder(const FileSystem& fs = DefaultFileSystem());
std::string LocalAppDataFolder(const FileSystem& fs = DefaultFileSystem());

// The executable's full path (from /proc/self/exe) in Windows form.
std::string ExecutablePath(const FileSystem& fs = DefaultFileSystem());

}  // namespace platform
