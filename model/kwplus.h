#pragma once
// KWPlus: the program's single model object. It owns the working folders, the genealogy
// program's settings path, the drive list, the size limit, the project being archived
// (Current) and the archive catalogue (Projects). It shows no messages: operations return
// booleans, defaults or empty results and let platform exceptions reach the caller.
// Paths are Windows texts; folder texts end with a backslash.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/kwplus_file.h"
#include "model/kwplus_projekt.h"
#include "platform/drives.h"
#include "platform/file_system.h"

namespace kw {

// What construction takes from the machine. FromSystem() asks the platform; tests point
// every field at a temporary folder and a fake drive map.
struct KWPlusSetup {
  platform::FileSystem* fs = nullptr;  // not owned; outlives the KWPlus
  std::string executablePath;          // "E:\Kopie\ArchiwumKW.exe"
  std::string roamingAppDataFolder;    // as the shell gives it, no trailing backslash
  std::string localAppDataFolder;      // likewise
  platform::SystemRoots systemRoots;   // for the drive types and the USB test

  static KWPlusSetup FromSystem();
};

// A malformed genealogy data file: a reference without its closing quote, a count without
// its closing quote or not a number. Entries added before it stay in Current.Files.
class DataFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One report-style list row as the catalogue window shows it: an empty caption, the ten
// column texts, and the record the row stands for.
struct CatalogueRow {
  std::string Caption;
  std::vector<std::string> SubItems;
  KWPlusProjekt* Data = nullptr;
};

// Catalogue grouping modes (the grouping menu's tags) and sort column tags.
enum GroupModes : std::int32_t {
  kGroupNone = -1,
  kGroupByName = 10,
  kGroupByDataFile = 20,
  kGroupByDate = 300,
  kGroupByMonth = 301,
  kGroupByYear = 302,
};

class KWPlus {
 public:
  explicit KWPlus(KWPlusSetup setup);
  KWPlus(const KWPlus&) = delete;
  KWPlus& operator=(const KWPlus&) = delete;

  // ---- Public state, read and written directly by the windows and pipelines.
  std::string GenealogyIniPath;           // kw8.ini chosen at construction
  std::vector<KWPlusProjekt> Projects;    // the catalogue, in display order
  KWPlusProjekt Current;                  // the project being archived
  std::int32_t GroupMode = kGroupNone;    // catalogue grouping mode
  // Sort state of the catalogue (column tag 0..8; descending = newest first by default).
  std::int32_t SortColumn = 1;
  bool SortAscending = false;
  // Missing-file search state. The labels are callbacks the search dialog attaches
  // (empty = no progress display).
  bool SearchStopped = false;
  std::function<void(const std::string&)> SearchFolderLabel;
  std::function<void(const std::string&)> SearchFoundLabel;
  std::int32_t SearchTotal = 0;
  std::int32_t SearchFound = 0;
  bool SearchCopyBack = false;

  // ---- Drives and paths.
  // True when the drive holding `path` is removable or fixed and attached through USB.
  bool IsOnUsbDrive(std::string_view path) const;
  // The removable, fixed and CD-ROM roots ("E:\"); collected again when `refresh`.
  const std::vector<std::string>& Drives(bool refresh);
  // Replaces `list` with the plain names of the files `folder` + "*." + `extension`
  // (folders and names of two characters or fewer left out), in enumeration order.
  void ListFiles(std::string_view folder, std::vector<std::string>& list,
                 std::string_view extension) const;
  std::string ArchiveFolder() const { return archiveFolder_; }  // exe folder + "ArchiwumKW\"
  std::string FilesFolder() const { return filesFolder_; }      // ArchiveFolder + "\files\"
  std::string TempFolder() const { return tempFolder_; }        // local app data + "\Temp\"
  std::string DescriptorExt() const { return descriptorExt_; }  // "kwbackup"
  platform::FileSystem& Fs() const { return *fs_; }

  // ---- Genealogy program settings.
  // The last existing of the three kw8.ini candidates; the roaming one when none exists.
  std::string FindGenealogyIni() const;
  // Replaces `list` with the recent data files (sorted, case-insensitive, each once) and
  // the data file in use; returns the trimmed data file in use ("Baza").
  std::string ReadRecentDataFiles(std::string_view iniPath, std::vector<std::string>& list,
                                  bool onlyExisting) const;

  // ---- Data file reader and project records.
  // Reads the data file into Current: Files (the data file, then its references), Plik,
  // LiczbaOsob, LiczbaZw, SizeKWFile. Raises platform::OsError when the file cannot be
  // opened and DataFileError when it is malformed.
  void ReadDataFile(std::string_view path);
  // Adds the .rvf files of Current's monograph folder as MONOGRAFIA, never skipped.
  void AddMonographFiles();
  // Appends one file to project.Files. `check`: web references dropped, disk examined.
  void AddFile(KWPlusProjekt& project, std::string_view path, bool check, double maxSizeMB,
               std::string_view type) const;
  // Bytes, or kilobytes (bytes / 1024) when `inKilobytes`; 0 when not found.
  double FileSizeOf(std::string_view path, bool inKilobytes) const;
  std::int32_t MaxFileSizeMB() const;  // truncated toward zero; negative = no limit
  void SetMaxFileSizeMB(double value) { maxFileSizeMB_ = value; }

  // ---- Descriptor and archive naming.
  std::string NewArchiveId();                  // new GUID into Current.ID, returned
  std::string CurrentDescriptorPath() const;   // ArchiveFolder + Current.ID + ".kwbackup"
  std::string ArchivePathOf(std::string_view name) const;  // FilesFolder + name + ".zip"
  // Writes the whole descriptor or nothing; platform::IniWriteError on failure.
  void WriteDescriptor(const KWPlusProjekt& project, std::string_view path) const;
  // Missing or damaged descriptors read as defaults; never raises for bad content.
  void ReadDescriptor(KWPlusProjekt& project, std::string_view path, bool withFiles) const;
  // 32 upper-case hex digits of the MD5 of the lower-cased Path in cp1250.
  static std::string ArchiveMemberName(const KWPlusFile& file);

  // ---- Catalogue.
  void ClearCatalogue() { Projects.clear(); }
  void LoadCatalogueEntry(std::string_view descriptorPath);
  std::int32_t Count() const { return static_cast<std::int32_t>(Projects.size()); }
  KWPlusProjekt& Item(std::int32_t index);  // std::out_of_range outside 0..Count()-1
  void SortCatalogue(std::int32_t column, bool reset);
  static std::string GroupKey(const KWPlusProjekt& entry, std::int32_t mode, bool sortable);
  void FillListItem(std::int32_t number, std::int32_t index, CatalogueRow& item);
  static std::string FormatMegabytes(std::int64_t kilobytes);
  bool DeleteArchive(const KWPlusProjekt& entry);
  std::string ArchiveNamesFor(std::vector<std::string>& list, std::string_view dataFile) const;
  void SetGroupMode(std::int32_t mode) { GroupMode = mode; }

 private:
  platform::FileSystem* fs_;
  std::string roamingAppDataFolder_;
  std::string localAppDataFolder_;
  platform::SystemRoots systemRoots_;
  std::vector<std::string> drives_;
  double maxFileSizeMB_ = -1.0;
  std::string archiveFolder_;
  std::string filesFolder_;
  std::string tempFolder_;
  std::string descriptorExt_ = "kwbackup";
};

// The program's one instance, made on first use from KWPlusSetup::FromSystem() (the entry
// calls it before creating the windows).
KWPlus& TheKWPlus();

// Replaces the program's instance for the scope's life (UI tests against a fake stick).
class ScopedTheKWPlus {
 public:
  explicit ScopedTheKWPlus(KWPlus& replacement);
  ~ScopedTheKWPlus();
  ScopedTheKWPlus(const ScopedTheKWPlus&) = delete;
  ScopedTheKWPlus& operator=(const ScopedTheKWPlus&) = delete;

 private:
  KWPlus* previous_;
};

}  // namespace kw
