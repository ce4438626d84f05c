// The archive descriptor ({GUID}.kwbackup), archive naming and member names.
#include <algorithm>

#include "model/kwplus.h"
#include "model/md5.h"
#include "model/path_text.h"
#include "platform/code_page.h"
#include "platform/format.h"
#include "platform/ini_file.h"
#include "platform/random.h"

namespace kw {

namespace {

constexpr std::string_view kGeneral = "Ogolne";
constexpr std::string_view kFileList = "Plik";
constexpr std::string_view kFileCount = "Pliki";

std::string FileKey(std::int32_t n) { return "Plik_" + std::to_string(n); }

}  // namespace

std::string KWPlus::NewArchiveId() {
  Current.ID = platform::NewGuidText();
  return Current.ID;
}

std::string KWPlus::CurrentDescriptorPath() const {
  return archiveFolder_ + Current.ID + "." + descriptorExt_;
}

std::string KWPlus::ArchivePathOf(std::string_view name) const {
  return filesFolder_ + std::string(name.empty() ? std::string_view(Current.ID) : name) + ".zip";
}

void KWPlus::WriteDescriptor(const KWPlusProjekt& project, std::string_view path) const {
  // The whole descriptor is built in memory and renamed into place, so a full drive or a
  // pulled stick never leaves one with a truncated file list.
  platform::IniFile ini(path, *fs_);
  const platform::FormatSettings& settings = platform::UserFormatSettings();
  const platform::TDateTime now = platform::Now();
  ini.WriteString(kGeneral, "ID", project.ID);
  ini.WriteString(kGeneral, "Plik", project.Plik);
  ini.WriteString(kGeneral, "Nazwa", project.Nazwa);
  ini.WriteString(kGeneral, "Komentarz", project.Komentarz);
  ini.WriteString(kGeneral, "Protection", project.Protection ? "1" : "0");
  ini.WriteInteger(kGeneral, "Size", project.Size);
  ini.WriteInteger(kGeneral, "SizeKWFile", project.SizeKWFile);
  ini.WriteInteger(kGeneral, "FileCount", project.FileCount);
  ini.WriteInteger(kGeneral, "LiczbaOsob", project.LiczbaOsob);
  ini.WriteInteger(kGeneral, "LiczbaZw", project.LiczbaZw);
  ini.WriteString(kGeneral, "Data", platform::FormatDateTime("dd-MM-yyyy", now, settings));
  ini.WriteString(kGeneral, "Godzina", platform::FormatDateTime("hh:nn", now, settings));
  std::int32_t n = 0;
  for (const KWPlusFile& file : project.Files) {
    if (!file.Exists || file.Skipped) continue;  // only stored files are listed
    ++n;
    ini.WriteString(kFileList, FileKey(n), file.Path);
    ini.WriteString(kFileList, FileKey(n) + "_TYP", file.Type);
  }
  ini.WriteInteger(kFileCount, "Liczba", n);
  ini.SaveAtomically();
}

void KWPlus::ReadDescriptor(KWPlusProjekt& project, std::string_view path, bool withFiles) const {
  project.DescriptorPath = std::string(path);
  project.Files.clear();
  // The catalogue reads only [Ogolne]: the file lists of large descriptors are not parsed.
  const platform::IniFile ini = withFiles ? platform::IniFile(path, *fs_)
                                          : platform::IniFile::OpenSection(path, kGeneral, *fs_);
  project.Plik = ini.ReadString(kGeneral, "Plik", "");
  project.Nazwa = ini.ReadString(kGeneral, "Nazwa", "");
  project.Komentarz = ini.ReadString(kGeneral, "Komentarz", "");
  project.Protection = ini.ReadBool(kGeneral, "Protection", false);
  project.Size = ini.ReadInteger(kGeneral, "Size", 0);
  project.SizeKWFile = ini.ReadInteger(kGeneral, "SizeKWFile", 0);
  project.FileCount = ini.ReadInteger(kGeneral, "FileCount", 0);
  project.LiczbaOsob = ini.ReadInteger(kGeneral, "LiczbaOsob", 0);
  project.LiczbaZw = ini.ReadInteger(kGeneral, "LiczbaZw", 0);
  project.ID = ini.ReadString(kGeneral, "ID", "");

  // Data "dd-MM-yyyy" and Godzina "hh:mm" whatever the user's locale says.
  platform::FormatSettings settings = platform::UserFormatSettings();
  settings.shortDateFormat = "dd/MM/yyyy";
  settings.dateSeparator = "-";
  settings.shortTimeFormat = "hh:mm";
  settings.timeSeparator = ":";
  const auto date = platform::TryStrToDate(ini.ReadString(kGeneral, "Data", ""), settings);
  const auto time = platform::TryStrToTime(ini.ReadString(kGeneral, "Godzina", ""), settings);
  project.Created = (date && time) ? *date + *time : 0.0;

  if (!withFiles) return;
  // A damaged count is trusted only as far as [Plik] has keys: each listed file has two,
  // so a count that lost some of its keys still gives an entry per number, while a count
  // of two thousand million in a small file does not fill memory with empty entries.
  const auto keys = static_cast<std::int64_t>(ini.Keys(kFileList).size());
  const std::int64_t n = std::clamp<std::int64_t>(ini.ReadInteger(kFileCount, "Liczba", 0), 0, keys);
  for (std::int32_t i = 1; i <= n; ++i) {
    AddFile(project, ini.ReadString(kFileList, FileKey(i), ""), false, -1.0,
            ini.ReadString(kFileList, FileKey(i) + "_TYP", ""));
  }
}

std::string KWPlus::ArchiveMemberName(const KWPlusFile& file) {
  return Md5HexUpper(platform::Utf8ToCodePage(LowerAsciiLetters(file.Path),
                                              platform::CodePage::kAnsi));
}

}  // namespace kw
