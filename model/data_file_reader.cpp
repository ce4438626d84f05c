// The genealogy data file reader, the project's file records and the monograph rule.
#include <algorithm>
#include <cmath>
#include <span>
#include <limits>
#include <vector>

#include "model/data_file_text.h"
#include "model/kwplus.h"
#include "model/path_text.h"
#include "platform/file.h"

namespace kw {

namespace {

std::string ReadWholeFile(platform::FileSystem& fs, std::string_view path) {
  platform::File file = platform::File::Open(path, platform::OpenMode::kRead, fs);
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(file.Size()));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::size_t n = file.Read(std::as_writable_bytes(std::span(bytes.data() + got,
                                                                     bytes.size() - got)));
    if (n == 0) break;  // the file shrank while we read it
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

std::int32_t TruncateToInt32(double v) {
  if (!(v > std::numeric_limits<std::int32_t>::min())) return 0;
  if (v >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(v);
}

}  // namespace

void KWPlus::ReadDataFile(std::string_view path) {
  Current.Files.clear();
  AddFile(Current, path, true, maxFileSizeMB_, "KWFILE");
  const std::string text = DataFileText(ReadWholeFile(*fs_, path));
  Current.Plik = std::string(path);

  ScanFileReferences(text, path, [this](std::string_view value) {
    AddFile(Current, value, true, maxFileSizeMB_, "MULTIMEDIA");
  });
  if (auto persons = ReadCount(text, "<Osoby Liczba=", path)) Current.LiczbaOsob = *persons;
  if (auto relations = ReadCount(text, "<Rodziny Liczba=", path)) Current.LiczbaZw = *relations;
  Current.SizeKWFile = TruncateToInt32(FileSizeOf(path, true));
}

void KWPlus::AddMonographFiles() {
  const std::string folder = ChangeFileExt(Current.Plik, "_monografie") + "\\";
  std::vector<std::string> names;
  ListFiles(folder, names, "rvf");
  for (const std::string& name : names) AddFile(Current, folder + name, true, -1.0, "MONOGRAFIA");
}

void KWPlus::AddFile(KWPlusProjekt& project, std::string_view path, bool check,
                     double maxSizeMB, std::string_view type) const {
  KWPlusFile file;
  file.Path = LowerAsciiLetters(path);
  file.Location = file.Path;
  file.FileName = ExtractFileName(file.Path);
  file.Folder = ExtractFileDir(file.Path);
  file.Type = std::string(type);
  if (!check) {
    file.Exists = true;
    project.Files.push_back(std::move(file));
    return;
  }
  // Web references are never archived nor reported as missing (https: is one too).
  if (file.Path.starts_with("http:") || file.Path.starts_with("https:") ||
      file.Path.starts_with("ftp:")) {
    return;
  }
  // One directory-entry lookup answers both the size and the existence as a file.
  const std::optional<platform::FileInfo> info = fs_->Stat(file.Path);
  const std::uint64_t size = info ? info->size : 0;
  file.Skipped = maxSizeMB >= 0 && static_cast<double>(size) / 1048576.0 > maxSizeMB;
  file.Exists = info && (info->attributes & platform::kAttrDirectory) == 0;
  file.ByteSize = static_cast<std::int64_t>(
      std::min<std::uint64_t>(size, std::numeric_limits<std::int64_t>::max()));
  project.Files.push_back(std::move(file));
}

double KWPlus::FileSizeOf(std::string_view path, bool inKilobytes) const {
  const std::optional<platform::FileInfo> info = fs_->Stat(path);
  if (!info) return 0;
  const auto size = static_cast<double>(info->size);
  return inKilobytes ? size * 0.0009765625 : size;
}

}  // namespace kw
