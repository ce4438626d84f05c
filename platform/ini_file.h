#pragma once
// Private-profile INI files with the semantics of the Windows profile functions: section and
// key names compare case-insensitively, the first matching section and key win, values are
// trimmed, a missing file or key gives the default, integers may be "0x" hexadecimal.
// Files are read in the ANSI code page unless they carry a UTF-8 or UTF-16 byte-order mark;
// new files are written in the ANSI code page with CR LF line ends. Texts are UTF-8 inside.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace platform {

// "Unable to write to %s" with the file's path.
class IniWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One INI file, opened for one operation: read whole (or only one section), changed in
// memory, written back by Save().
class IniFile {
 public:
  // A missing or unreadable file opens empty.
  explicit IniFile(std::string_view windowsPath, FileSystem& fs = DefaultFileSystem());
  // Reads only until the first section named `section` ends: the rest is not read or
  // parsed. Such an object is for reading: changing or saving it throws std::logic_error.
  static IniFile OpenSection(std::string_view windowsPath, std::string_view section,
                             FileSystem& fs = DefaultFileSystem());
  ~IniFile();
  IniFile(IniFile&&) noexcept;
  IniFile& operator=(IniFile&&) noexcept;

  const std::string& Path() const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // A value that is not an integer (decimal or "0x" hex) gives the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);

  // Writes the file in place (keeping a byte-order mark it had); IniWriteError on failure,
  // also when the file exists but could not be read (it is left as it is).
  void Save();
  // Writes a temporary file beside it and renames it into place, so the file is never
  // half-written; IniWriteError on failure, with no temporary left behind.
  void SaveAtomically();

 private:
  struct Impl;
  explicit IniFile(std::unique_ptr<Impl> impl);
  void Write(bool atomically);
  std::unique_ptr<Impl> impl_;
};

// The key-by-key profile functions: each call opens, reads or updates, and closes the file.
// GetPrivateProfileInt reads as the system function does: the leading digits of the value
// ("12abc" is 12, "abc" is 0), the default only for a missing or empty value.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view file,
                                    FileSystem& fs = DefaultFileSystem());
std::int32_t GetPrivateProfileInt(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue, std::string_view file,
                                  FileSystem& fs = DefaultFileSystem());
// False when the file cannot be written.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file,
                               FileSystem& fs = DefaultFileSystem());

}  // namespace platform
