// IniFile and the key-by-key profile functions over the file system's Windows paths.
#include "platform/ini_file.h"

#include <optional>

#include "platform/ini_host.h"
#include "platform/ini_text.h"

namespace platform {

struct IniFile::Impl {
  FileSystem* fs = nullptr;
  std::string path;
  std::optional<std::filesystem::path> host;
  IniDocument doc;
  bool unreadable = false;  // the file exists but could not be read: never overwrite it
};

IniFile::IniFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

IniFile::IniFile(std::string_view windowsPath, FileSystem& fs) : impl_(std::make_unique<Impl>()) {
  impl_->fs = &fs;
  impl_->path = std::string(windowsPath);
  impl_->host = fs.ToHost(windowsPath);
  if (impl_->host) impl_->doc = LoadIni(*impl_->host, &impl_->unreadable);
}

IniFile IniFile::OpenSection(std::string_view windowsPath, std::string_view section,
                             FileSystem& fs) {
  auto impl = std::make_unique<Impl>();
  impl->fs = &fs;
  impl->path = std::string(windowsPath);
  impl->host = fs.ToHost(windowsPath);
  if (impl->host) impl->doc = LoadIniSection(*impl->host, section);
  return IniFile(std::move(impl));
}

IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

const std::string& IniFile::Path() const { return impl_->path; }

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const std::string* value = impl_->doc.Find(section, key);
  return value != nullptr ? *value : std::string(defaultValue);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
  const std::string* value = impl_->doc.Find(section, key);
  if (value == nullptr) return defaultValue;
  return ParseIniInteger(*value).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::SectionExists(std::string_view section) const {
  return impl_->doc.SectionExists(section);
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return impl_->doc.Find(section, key) != nullptr;
}

std::vector<std::string> IniFile::Sections() const { return impl_->doc.Sections(); }

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  return impl_->doc.Keys(section);
}

void IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) {
  impl_->doc.Write(section, key, value);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  impl_->doc.Write(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  impl_->doc.Write(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(std::string_view section) { impl_->doc.EraseSection(section); }

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  impl_->doc.DeleteKey(section, key);
}

void IniFile::Save() { Write(false); }

void IniFile::SaveAtomically() { Write(true); }

void IniFile::Write(bool atomically) {
  if (!impl_->host || impl_->unreadable) {
    throw IniWriteError("Unable to write to " + impl_->path);
  }
  const bool ok = atomically ? SaveIniAtomically(*impl_->host, impl_->doc)
                             : SaveIni(*impl_->host, impl_->doc);
  if (!ok) throw IniWriteError("Unable to write to " + impl_->path);
  // Written with host calls: the file system's folder listing learns of the file.
  impl_->fs->NoteCreated(*impl_->host);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view file,
                                    FileSystem& fs) {
  return IniFile::OpenSection(file, section, fs).ReadString(section, key, defaultValue);
}

std::int32_t GetPrivateProfileInt(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue, std::string_view file,
                                  FileSystem& fs) {
  const IniFile ini = IniFile::OpenSection(file, section, fs);
  const std::string value = ini.ReadString(section, key, "");
  if (value.empty()) return defaultValue;
  return ParseProfileInt(value);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file, FileSystem& fs) {
  try {
    IniFile ini(file, fs);
    ini.WriteString(section, key, value);
    ini.Save();
    return true;
  } catch (const IniWriteError&) {
    return false;
  }
}

}  // namespace platform
