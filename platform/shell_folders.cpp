#include "platform/shell_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

const passwd* Account() { return getpwuid(getuid()); }

// The Wine prefix is there when C: is mapped: its user folders sit on C:.
std::string InPrefix(const SpecialFolderEnvironment& env, const char* leaf) {
  if (env.user.empty()) return {};
  return std::string("C:\\users\\") + env.user + "\\AppData\\" + leaf;
}

// XDG base folders must be absolute; a relative value is ignored as the XDG rules say.
std::string Xdg(const FileSystem& fs, const std::string& value, const std::string& home,
                const char* fallback) {
  fs::path folder;
  if (!value.empty() && value.front() == '/') {
    folder = value;
  } else if (!home.empty()) {
    folder = fs::path(home) / fallback;
  } else {
    return {};
  }
  auto windows = fs.ToWindows(folder);
  if (!windows) return {};
  while (windows->size() > 3 && windows->back() == '\\') windows->pop_back();
  return *windows;
}

}  // namespace

SpecialFolderEnvironment SpecialFolderEnvironment::FromProcess() {
  SpecialFolderEnvironment env;
  env.user = Env("USER");
  env.home = Env("HOME");
  if (env.user.empty() || env.home.empty()) {
    if (const passwd* pw = Account(); pw != nullptr) {
      if (env.user.empty() && pw->pw_name != nullptr) env.user = pw->pw_name;
      if (env.home.empty() && pw->pw_dir != nullptr) env.home = pw->pw_dir;
    }
  }
  env.xdgConfigHome = Env("XDG_CONFIG_HOME");
  env.xdgDataHome = Env("XDG_DATA_HOME");
  return env;
}

std::string RoamingAppDataFolder(const FileSystem& fs, const SpecialFolderEnvironment& env) {
  if (fs.Drives().HostFolderOf('C')) return InPrefix(env, "Roaming");
  return Xdg(fs, env.xdgConfigHome, env.home, ".config");
}

std::string LocalAppDataFolder(const FileSystem& fs, const SpecialFolderEnvironment& env) {
  if (fs.Drives().HostFolderOf('C')) return InPrefix(env, "Local");
  return Xdg(fs, env.xdgDataHome, env.home, ".local/share");
}

std::string RoamingAppDataFolder(const FileSystem& fs) {
  return RoamingAppDataFolder(fs, SpecialFolderEnvironment::FromProcess());
}

std::string LocalAppDataFolder(const FileSystem& fs) {
  return LocalAppDataFolder(fs, SpecialFolderEnvironment::FromProcess());
}

std::string ExecutablePath(const FileSystem& fs) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return fs.ToWindows(self).value_or(std::string());
}

}  // namespace platform
