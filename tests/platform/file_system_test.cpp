#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <map>
#include <set>

#include "fs_test_support.h"
#include "platform/win_error.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::TempFolder;

// Each test owns a folder mapped as C:.
class FileSystemTest : public ::testing::Test {
 protected:
  FileSystemTest() : fs_(MakeMap()) {}
  DriveMap MakeMap() const {
    DriveMap map;
    map.Map('C', tmp_.path());
    return map;
  }
  std::string Relative(const std::optional<fs::path>& host) const {
    if (!host) return "<none>";
    return host->lexically_relative(tmp_.path()).string();
  }
  std::set<std::string> Names(const std::vector<FileInfo>& infos) const {
    std::set<std::string> names;
    for (const auto& info : infos) names.insert(info.name);
    return names;
  }

  TempFolder tmp_;
  FileSystem fs_;
};

TEST_F(FileSystemTest, ResolvesLikeNtfs) {
  tmp_.File("Zdjęcia/Ślub/Foto.JPG");
  tmp_.File("Dane/rodzina.kw");
  struct Row {
    const char* windows;
    const char* host;
  };
  const Row rows[] = {
      {"C:\\ZDJĘCIA\\ŚLUB\\foto.jpg", "Zdjęcia/Ślub/Foto.JPG"},
      {"c:\\zdjęcia\\ślub\\FOTO.JPG", "Zdjęcia/Ślub/Foto.JPG"},
      {"\\\\?\\C:\\Zdjęcia\\Ślub\\Foto.JPG", "Zdjęcia/Ślub/Foto.JPG"},
      {"C:/zdjęcia/ślub/foto.jpg", "Zdjęcia/Ślub/Foto.JPG"},
      {"C:\\Dane\\\\rodzina.KW", "Dane/rodzina.kw"},
      {"C:\\Dane\\.\\..\\DANE\\.\\Rodzina.kw", "Dane/rodzina.kw"},
      {"C:\\..\\..\\dane\\rodzina.kw", "Dane/rodzina.kw"},
      {"C:\\Dane\\Nowy\\Plik.txt", "Dane/Nowy/Plik.txt"},
      {"C:\\DANE\\nowy.TXT", "Dane/nowy.TXT"},
      {"C:\\zdjecia\\slub", "zdjecia/slub"},  // a letter without its mark is another name
      {"C:\\Dane\\rodzina.kw. . ", "Dane/rodzina.kw"},
      {"\\\\?\\C:\\Dane\\rodzina.kw.", "Dane/rodzina.kw."},  // verbatim: kept as written
      {"C:\\", "."},
      {"C:", "."},
  };
  for (const Row& row : rows) EXPECT_EQ(Relative(fs_.ToHost(row.windows)), row.host) << row.windows;
}

TEST_F(FileSystemTest, ExactNameWinsOverOtherCase) {
  tmp_.File("a.txt", "lower");
  tmp_.File("A.TXT", "upper");
  tmp_.File("Dir/x", "");
  tmp_.File("dir/x", "");
  EXPECT_EQ(Relative(fs_.ToHost("C:\\a.txt")), "a.txt");
  EXPECT_EQ(Relative(fs_.ToHost("C:\\A.TXT")), "A.TXT");
  EXPECT_EQ(Relative(fs_.ToHost("C:\\dir\\X")), "dir/x");
  // Neither spelling exact: the answer does not depend on the listing order.
  EXPECT_EQ(Relative(fs_.ToHost("C:\\a.TXT")), "A.TXT");
  EXPECT_EQ(Relative(fs_.ToHost("C:\\DIR\\x")), "Dir/x");
  // With one spelling gone the other answers.
  ASSERT_TRUE(fs_.DeleteFile("C:\\A.TXT"));
  EXPECT_EQ(Relative(fs_.ToHost("C:\\a.TXT")), "a.txt");
}

TEST_F(FileSystemTest, PathsThatNameNoDriveHereFail) {
  tmp_.File("x.txt");
  for (const char* path : {"Q:\\x.txt", "x.txt", "\\x.txt", "\\\\server\\share\\x.txt",
                           "\\\\?\\UNC\\server\\share\\x.txt", "\\\\.\\C:", ""}) {
    EXPECT_FALSE(fs_.ToHost(path)) << path;
    EXPECT_FALSE(fs_.FileExists(path)) << path;
  }
  EXPECT_FALSE(fs_.CreateDirectories("Q:\\nowy"));
  EXPECT_EQ(fs_.LastError(), kErrorPathNotFound);
  EXPECT_FALSE(fs_.FreeSpace("Q:\\"));
  EXPECT_TRUE(fs_.FindFiles("Q:\\*").empty());
  EXPECT_FALSE(fs_.ToHost(std::string_view("C:\\x.txt\0y", 10))) << "an embedded NUL";
}

TEST_F(FileSystemTest, ExistsTellsFilesFromFolders) {
  tmp_.File("Kopie/ArchiwumKW/{A}.kwbackup");
  EXPECT_TRUE(fs_.FileExists("C:\\kopie\\archiwumkw\\{a}.KWBACKUP"));
  EXPECT_FALSE(fs_.DirectoryExists("C:\\kopie\\archiwumkw\\{a}.KWBACKUP"));
  EXPECT_TRUE(fs_.DirectoryExists("C:\\KOPIE\\ArchiwumKW\\"));
  EXPECT_TRUE(fs_.DirectoryExists("C:\\KOPIE\\ArchiwumKW\\\\files\\.."));
  EXPECT_FALSE(fs_.FileExists("C:\\KOPIE\\ArchiwumKW"));
  EXPECT_TRUE(fs_.DirectoryExists("C:\\"));
  EXPECT_FALSE(fs_.FileExists("C:\\Kopie\\brak.zip"));
  EXPECT_EQ(fs_.LastError(), kErrorFileNotFound);
  EXPECT_FALSE(fs_.FileExists("C:\\Brak\\brak.zip"));
  EXPECT_EQ(fs_.LastError(), kErrorPathNotFound);
}

TEST_F(FileSystemTest, StatGivesTheAttributeWordSizeAndTime) {
  tmp_.File("plik.txt", "12345");
  tmp_.File(".ukryty", "");
  tmp_.Folder("Folder");
  ::chmod(tmp_.File("tylko.txt").c_str(), 0444);
  // 5 GiB without the disk space: the size must not be cut to 32 bits.
  ASSERT_EQ(::truncate(tmp_.File("duzy.bin", "").c_str(), 5LL << 30), 0);
  struct Row {
    const char* path;
    std::uint32_t attributes;
    std::uint64_t size;
  };
  const Row rows[] = {
      {"C:\\PLIK.TXT", kAttrArchive, 5},
      {"C:\\.UKRYTY", kAttrArchive | kAttrHidden, 0},
      {"C:\\folder", kAttrDirectory, 0},
      {"C:\\Tylko.txt", kAttrArchive | kAttrReadOnly, 1},
      {"C:\\duzy.bin", kAttrArchive, 5ULL << 30},
  };
  for (const Row& row : rows) {
    const auto info = fs_.Stat(row.path);
    ASSERT_TRUE(info) << row.path;
    EXPECT_EQ(info->attributes, row.attributes) << row.path;
    EXPECT_EQ(info->size, row.size) << row.path;
  }
  EXPECT_EQ(fs_.Stat("C:\\PLIK.TXT")->name, "plik.txt");

  // A fresh file's time is now in local time, to the minute.
  tm local{};
  const std::time_t now = std::time(nullptr);
  localtime_r(&now, &local);
  const double nowLocal = 25569.0 + static_cast<double>(now + local.tm_gmtoff) / 86400.0;
  EXPECT_NEAR(fs_.Stat("C:\\plik.txt")->lastWriteTime, nowLocal, 1.0 / 1440);

  const TDateTime set = 45000.5 + 13.0 / 86400;  // 2023-03-15 12:00:13
  ASSERT_TRUE(fs_.SetLastWriteTime("C:\\plik.txt", set));
  EXPECT_NEAR(fs_.Stat("C:\\plik.txt")->lastWriteTime, set, 1e-8);

  ASSERT_TRUE(fs_.SetAttributes("C:\\plik.txt", kAttrReadOnly | kAttrArchive));
  EXPECT_EQ(fs_.Stat("C:\\plik.txt")->attributes, kAttrArchive | kAttrReadOnly);
  ASSERT_TRUE(fs_.SetAttributes("C:\\plik.txt", kAttrNormal));
  EXPECT_EQ(fs_.Stat("C:\\plik.txt")->attributes, kAttrArchive);
  EXPECT_FALSE(fs_.Stat("C:\\brak.txt"));
}

struct FindRow {
  const char* name;
  const char* pattern;
  std::set<std::string> names;
};

class FindFilesTest : public FileSystemTest, public ::testing::WithParamInterface<FindRow> {
 protected:
  void SetUp() override {
    tmp_.Folder("Archiwum/a.kwbackup");
    for (const char* name : {"x.kwbackup", "Y.KWBACKUP", "z.kwbackup.bak", "README", ".hidden",
                             "notes.txt"}) {
      tmp_.File(std::string("Archiwum/") + name);
    }
  }
};

TEST_P(FindFilesTest, MatchesLikeTheFileLookupFunctions) {
  const FindRow& row = GetParam();
  const auto found = fs_.FindFiles(std::string("C:\\ARCHIWUM\\") + row.pattern);
  EXPECT_EQ(Names(found), row.names);
  EXPECT_EQ(found.size(), row.names.size()) << "no entry twice";
  EXPECT_EQ(fs_.LastError(), row.names.empty() ? kErrorFileNotFound : kErrorSuccess);
}

const std::set<std::string> kEverything{".",         "..",     "a.kwbackup", "x.kwbackup",
                                        "Y.KWBACKUP", "z.kwbackup.bak", "README", ".hidden",
                                        "notes.txt"};

INSTANTIATE_TEST_SUITE_P(
    Patterns, FindFilesTest,
    ::testing::Values(
        FindRow{"Star", "*", kEverything},
        FindRow{"StarDotStar", "*.*", kEverything},
        FindRow{"Extension", "*.kwbackup", {"a.kwbackup", "x.kwbackup", "Y.KWBACKUP"}},
        FindRow{"NoExtension", "*.", {".", "..", "README"}},
        FindRow{"Question", "?otes.TXT", {"notes.txt"}},
        FindRow{"PlainName", "NOTES.TXT", {"notes.txt"}},
        FindRow{"Nothing", "*.jpg", {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(FileSystemTest, FindFilesGivesAttributesAndSkipsDotsAtTheRoot) {
  tmp_.Folder("Archiwum/a.kwbackup");
  tmp_.File("Archiwum/x.kwbackup", "123");
  tmp_.File("Archiwum/.ukryty.kwbackup");
  // What the descriptor listing does: files only, names longer than two characters.
  std::vector<std::string> listed;
  for (const auto& info : fs_.FindFiles("C:\\Archiwum\\*.kwbackup")) {
    if ((info.attributes & kAttrDirectory) == 0 && info.name.size() > 2) {
      listed.push_back(info.name);
    }
    if (info.name == "a.kwbackup") {
      EXPECT_EQ(info.attributes, kAttrDirectory);
    } else if (info.name == "x.kwbackup") {
      EXPECT_EQ(info.size, 3u);
    } else if (info.name == ".ukryty.kwbackup") {
      EXPECT_EQ(info.attributes, kAttrArchive | kAttrHidden);
    }
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{".ukryty.kwbackup", "x.kwbackup"}));

  EXPECT_EQ(Names(fs_.FindFiles("C:\\*")), (std::set<std::string>{"Archiwum"}));
  EXPECT_EQ(Names(fs_.FindFiles("C:*")), (std::set<std::string>{"Archiwum"}));
  EXPECT_TRUE(fs_.FindFiles("C:\\Brak\\*").empty());
  EXPECT_EQ(fs_.LastError(), kErrorPathNotFound);
  EXPECT_TRUE(fs_.FindFiles("C:\\Archiwum\\").empty());
}

TEST_F(FileSystemTest, LinksAreMarkedSoWalksCanSkipLoops) {
  tmp_.File("Dane/plik.txt", "abc");
  fs::create_directory_symlink("..", tmp_ / "Dane/petla");
  fs::create_symlink("plik.txt", tmp_ / "Dane/skrot.txt");
  fs::create_symlink("brak.txt", tmp_ / "Dane/zerwany.txt");
  std::map<std::string, FileInfo> byName;
  for (auto& info : fs_.FindFiles("C:\\Dane\\*")) byName[info.name] = info;
  EXPECT_EQ(byName["plik.txt"].attributes, kAttrArchive);
  EXPECT_EQ(byName["petla"].attributes, kAttrDirectory | kAttrReparsePoint);
  EXPECT_EQ(byName["skrot.txt"].attributes, kAttrArchive | kAttrReparsePoint);
  EXPECT_EQ(byName["skrot.txt"].size, 3u);
  EXPECT_EQ(byName["zerwany.txt"].attributes, kAttrArchive | kAttrReparsePoint);
  EXPECT_EQ(byName["zerwany.txt"].size, 0u);
  EXPECT_EQ(fs_.Stat("C:\\DANE\\PETLA")->attributes, kAttrDirectory | kAttrReparsePoint);
}

TEST_F(FileSystemTest, CopyReplacesThroughATemporary) {
  const auto source = tmp_.File("Dane/Źródło.jpg", "new content");
  const std::array<timespec, 2> times{timespec{1000000000, 0}, timespec{1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times.data(), 0), 0);
  const auto target = tmp_.File("Kopia/cel.jpg", "old");

  ASSERT_TRUE(fs_.CopyFile("C:\\DANE\\źródło.JPG", "C:\\kopia\\CEL.JPG", false));
  EXPECT_EQ(ReadAll(target), "new content");
  EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(source));

  ASSERT_TRUE(fs_.CopyFile("C:\\Dane\\Źródło.jpg", "C:\\Kopia\\Nowy.jpg", true));
  EXPECT_EQ(ReadAll(tmp_ / "Kopia/Nowy.jpg"), "new content");
  EXPECT_EQ(Names(fs_.FindFiles("C:\\Kopia\\*")),
            (std::set<std::string>{".", "..", "cel.jpg", "Nowy.jpg"}))
      << "no temporary left behind";
}

TEST_F(FileSystemTest, CopyFailuresGiveWindowsCodes) {
  tmp_.File("src.txt", "source");
  tmp_.File("dst.txt", "keep");
  tmp_.Folder("Folder");
  ::chmod(tmp_.File("ro.txt", "read-only").c_str(), 0444);
  tmp_.File("plik", "a file, not a folder");
  struct Row {
    const char* from;
    const char* to;
    bool failIfExists;
    std::uint32_t error;
  };
  const Row rows[] = {
      {"C:\\src.txt", "C:\\DST.TXT", true, kErrorFileExists},
      {"C:\\brak.txt", "C:\\nowy.txt", false, kErrorFileNotFound},
      {"C:\\Brak\\x.txt", "C:\\nowy.txt", false, kErrorPathNotFound},
      {"C:\\src.txt", "C:\\Brak\\nowy.txt", false, kErrorPathNotFound},
      {"C:\\src.txt", "C:\\plik\\nowy.txt", false, kErrorPathNotFound},
      {"C:\\Folder", "C:\\nowy.txt", false, kErrorAccessDenied},
      {"C:\\src.txt", "C:\\folder", false, kErrorAccessDenied},
      {"C:\\src.txt", "C:\\RO.TXT", false, kErrorAccessDenied},
      {"C:\\src.txt", "Q:\\nowy.txt", false, kErrorPathNotFound},
  };
  for (const Row& row : rows) {
    EXPECT_FALSE(fs_.CopyFile(row.from, row.to, row.failIfExists)) << row.from << " " << row.to;
    EXPECT_EQ(fs_.LastError(), row.error) << row.from << " -> " << row.to;
  }
  EXPECT_EQ(ReadAll(tmp_ / "dst.txt"), "keep");
  EXPECT_EQ(ReadAll(tmp_ / "ro.txt"), "read-only");
}

TEST_F(FileSystemTest, UnwritableFolderRefusesCopiesAndFolders) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  tmp_.File("src.txt");
  ::chmod(tmp_.Folder("Zamkniety").c_str(), 0555);
  EXPECT_FALSE(fs_.CopyFile("C:\\src.txt", "C:\\zamkniety\\x.txt", false));
  EXPECT_EQ(fs_.LastError(), kErrorAccessDenied);
  EXPECT_FALSE(fs_.CreateDirectories("C:\\Zamkniety\\Nowy"));
  EXPECT_EQ(fs_.LastError(), kErrorAccessDenied);
}

// sysfs refuses new files and folders even to root, so this runs where the test above
// cannot.
TEST_F(FileSystemTest, FolderNobodyMayWriteRefusesCopiesAndFolders) {
  if (!fs::is_directory("/sys/kernel")) GTEST_SKIP() << "no sysfs here";
  tmp_.File("src.txt");
  DriveMap map = MakeMap();
  map.Map('S', "/sys");
  FileSystem withSys(map);
  // Containers often mount /sys read-only, which Windows calls write-protected.
  const auto refused = ::testing::AnyOf(kErrorAccessDenied, kErrorWriteProtect);
  EXPECT_FALSE(withSys.CopyFile("C:\\src.txt", "S:\\KERNEL\\x.txt", false));
  EXPECT_THAT(withSys.LastError(), refused);
  EXPECT_FALSE(withSys.CreateDirectories("S:\\kernel\\Nowy"));
  EXPECT_THAT(withSys.LastError(), refused);
  EXPECT_FALSE(fs::exists("/sys/kernel/x.txt"));
}

TEST_F(FileSystemTest, MoveRenamesAndReplacesFiles) {
  tmp_.File("a.txt", "A");
  tmp_.File("Cel/b.txt", "B");
  tmp_.File("Folder/x");
  tmp_.Folder("Inny");
  ASSERT_TRUE(fs_.MoveFile("C:\\A.TXT", "C:\\CEL\\b.TXT"));
  EXPECT_EQ(ReadAll(tmp_ / "Cel/b.txt"), "A");
  EXPECT_FALSE(fs_.FileExists("C:\\a.txt"));

  ASSERT_TRUE(fs_.MoveFile("C:\\cel\\b.txt", "C:\\Cel\\B.TXT")) << "a change of case only";
  EXPECT_EQ(Names(fs_.FindFiles("C:\\Cel\\*.txt")), (std::set<std::string>{"B.TXT"}));

  ASSERT_TRUE(fs_.MoveFile("C:\\folder", "C:\\Przeniesiony"));
  EXPECT_TRUE(fs_.FileExists("C:\\PRZENIESIONY\\X"));
  EXPECT_FALSE(fs_.DirectoryExists("C:\\Folder"));

  EXPECT_FALSE(fs_.MoveFile("C:\\Przeniesiony", "C:\\inny"));
  EXPECT_EQ(fs_.LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(fs_.MoveFile("C:\\brak", "C:\\nowy"));
  EXPECT_EQ(fs_.LastError(), kErrorFileNotFound);
}

TEST_F(FileSystemTest, MoveToAnotherVolumeCopiesFilesButNotFolders) {
  struct stat here {}, shm {};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(tmp_.path().c_str(), &here) != 0 ||
      here.st_dev == shm.st_dev) {
    GTEST_SKIP() << "no second volume at /dev/shm";
  }
  std::string pattern = "/dev/shm/kw-fs-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path other = pattern;
  DriveMap map = MakeMap();
  map.Map('R', other);
  FileSystem both(map);
  tmp_.File("Folder/plik.txt", "zawartość");

  EXPECT_TRUE(both.MoveFile("C:\\folder\\PLIK.TXT", "R:\\Przeniesiony.txt"));
  EXPECT_EQ(ReadAll(other / "Przeniesiony.txt"), "zawartość");
  EXPECT_FALSE(fs::exists(tmp_ / "Folder/plik.txt"));
  EXPECT_FALSE(both.MoveFile("C:\\Folder", "R:\\Folder"));
  EXPECT_EQ(both.LastError(), 17u) << "not the same device";
  EXPECT_TRUE(fs::is_directory(tmp_ / "Folder"));
  fs::remove_all(other);
}

TEST_F(FileSystemTest, DeleteAndRemoveFolders) {
  tmp_.File("Pelny/plik.txt");
  tmp_.Folder("Pusty");
  ::chmod(tmp_.File("ro.txt").c_str(), 0444);
  EXPECT_TRUE(fs_.DeleteFile("C:\\PELNY\\PLIK.TXT"));
  EXPECT_FALSE(fs::exists(tmp_ / "Pelny/plik.txt"));
  struct Row {
    bool folder;
    const char* path;
    std::uint32_t error;
  };
  tmp_.File("Pelny/inny.txt");
  const Row rows[] = {
      {false, "C:\\pelny\\plik.txt", kErrorFileNotFound},
      {false, "C:\\brak\\plik.txt", kErrorPathNotFound},
      {false, "C:\\Pusty", kErrorAccessDenied},
      {false, "C:\\ro.txt", kErrorAccessDenied},
      {true, "C:\\Pelny", kErrorDirNotEmpty},
      {true, "C:\\ro.txt", 267},
      {true, "C:\\brak", kErrorFileNotFound},
  };
  for (const Row& row : rows) {
    EXPECT_FALSE(row.folder ? fs_.RemoveDirectory(row.path) : fs_.DeleteFile(row.path)) << row.path;
    EXPECT_EQ(fs_.LastError(), row.error) << row.path;
  }
  EXPECT_TRUE(fs_.RemoveDirectory("C:\\PUSTY"));
  EXPECT_FALSE(fs::exists(tmp_ / "Pusty"));
}

TEST_F(FileSystemTest, CreateDirectoriesMakesEveryMissingParent) {
  tmp_.Folder("Kopie");
  tmp_.File("plik");
  EXPECT_TRUE(fs_.CreateDirectories("C:\\KOPIE\\ArchiwumKW\\\\files\\"));
  EXPECT_TRUE(fs::is_directory(tmp_ / "Kopie/ArchiwumKW/files"));
  EXPECT_FALSE(fs::exists(tmp_ / "KOPIE"));
  EXPECT_TRUE(fs_.CreateDirectories("C:\\kopie\\archiwumkw")) << "already there";
  EXPECT_TRUE(fs_.CreateDirectories("C:\\"));

  EXPECT_FALSE(fs_.CreateDirectories("C:\\plik\\pod"));
  EXPECT_EQ(fs_.LastError(), kErrorPathNotFound);
  EXPECT_FALSE(fs_.CreateDirectories("C:\\PLIK"));
  EXPECT_EQ(fs_.LastError(), kErrorAlreadyExists);
}

TEST_F(FileSystemTest, FreeSpaceOfTheVolumeHoldingAPath) {
  const auto root = fs_.FreeSpace("C:\\");
  ASSERT_TRUE(root);
  EXPECT_GT(root->totalBytes, 0u);
  EXPECT_LE(root->freeBytes, root->totalBytes);
  const auto missing = fs_.FreeSpace("C:\\nie\\ma\\takiego");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->totalBytes, root->totalBytes);
}

// Folders whose last change is long past, so that a listing of them is settled at once
// (the change time moves when the times are set, so a moment must pass after that too).
void AgeFolders(const fs::path& root) {
  const std::array<timespec, 2> old{timespec{1'500'000'000, 0}, timespec{1'500'000'000, 0}};
  ::utimensat(AT_FDCWD, root.c_str(), old.data(), 0);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_directory()) ::utimensat(AT_FDCWD, entry.path().c_str(), old.data(), 0);
  }
  ::usleep(100'000);
}

TEST_F(FileSystemTest, CacheSeesOurOwnChangesWithoutReadingAgain) {
  tmp_.File("Dane/zrodlo.jpg");
  tmp_.Folder("Cel");
  AgeFolders(tmp_.path());
  EXPECT_FALSE(fs_.FileExists("C:\\CEL\\KOPIA.JPG"));
  EXPECT_TRUE(fs_.FileExists("C:\\DANE\\ZRODLO.JPG"));
  const std::size_t listings = fs_.DirectoryListingsRead();

  ASSERT_TRUE(fs_.CopyFile("C:\\Dane\\zrodlo.jpg", "C:\\Cel\\Kopia.jpg", false));
  EXPECT_TRUE(fs_.FileExists("C:\\CEL\\KOPIA.JPG"));
  ASSERT_TRUE(fs_.CreateDirectories("C:\\Cel\\Głęboki"));
  EXPECT_TRUE(fs_.DirectoryExists("C:\\cel\\GŁĘBOKI"));
  ASSERT_TRUE(fs_.MoveFile("C:\\Cel\\Kopia.jpg", "C:\\Cel\\Przeniesiona.jpg"));
  EXPECT_TRUE(fs_.FileExists("C:\\CEL\\PRZENIESIONA.JPG"));
  EXPECT_FALSE(fs_.FileExists("C:\\Cel\\Kopia.jpg"));
  ASSERT_TRUE(fs_.DeleteFile("C:\\Cel\\Przeniesiona.jpg"));
  EXPECT_FALSE(fs_.FileExists("C:\\Cel\\Przeniesiona.jpg"));
  ASSERT_TRUE(fs_.RemoveDirectory("C:\\Cel\\Głęboki"));
  EXPECT_FALSE(fs_.DirectoryExists("C:\\cel\\GŁĘBOKI"));
  // Each change patched the listing of Cel; none was read again.
  EXPECT_EQ(fs_.DirectoryListingsRead(), listings);
}

TEST_F(FileSystemTest, CacheNoticesChangesBehindItsBack) {
  tmp_.File("Dane/stary.jpg");
  AgeFolders(tmp_.path());
  EXPECT_TRUE(fs_.FileExists("C:\\DANE\\STARY.JPG"));
  EXPECT_FALSE(fs_.FileExists("C:\\DANE\\NOWY.JPG"));

  tmp_.File("Dane/nowy.jpg");
  EXPECT_TRUE(fs_.FileExists("C:\\DANE\\NOWY.JPG"));
  fs::remove(tmp_ / "Dane/stary.jpg");
  EXPECT_FALSE(fs_.FileExists("C:\\DANE\\STARY.JPG"));
  fs::rename(tmp_ / "Dane/nowy.jpg", tmp_ / "Dane/Inny.jpg");
  fs::rename(tmp_ / "Dane", tmp_ / "DANE2");
  tmp_.File("Dane/NOWY.jpg");
  EXPECT_TRUE(fs_.FileExists("C:\\dane\\nowy.jpg"));
  EXPECT_EQ(Relative(fs_.ToHost("C:\\dane\\nowy.jpg")), "Dane/NOWY.jpg");
  // The folder replaced by one of another spelling.
  fs::rename(tmp_ / "Dane", tmp_ / "DANE3");
  tmp_.File("dAne/Ostatni.jpg");
  EXPECT_TRUE(fs_.FileExists("C:\\DANE\\OSTATNI.JPG"));
  fs::rename(tmp_ / "dAne", tmp_ / "DANE4");
  tmp_.Folder("daNe");
  EXPECT_EQ(Relative(fs_.ToHost("C:\\DANE\\Nowy.txt")), "daNe/Nowy.txt") << "for a new file";
}

TEST_F(FileSystemTest, ListsEachFolderAboutOnce) {
  constexpr int kFolders = 30;
  constexpr int kFiles = 20;
  for (int f = 0; f < kFolders; ++f) {
    for (int i = 0; i < kFiles; ++i) {
      tmp_.File("Zdjęcia/Rok" + std::to_string(f) + "/Foto_" + std::to_string(i) + ".Jpg");
    }
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (int f = 0; f < kFolders; ++f) {
      for (int i = 0; i < kFiles; ++i) {
        ASSERT_TRUE(fs_.FileExists("C:\\ZDJĘCIA\\ROK" + std::to_string(f) + "\\FOTO_" +
                                   std::to_string(i) + ".JPG"));
      }
    }
  }
  EXPECT_LE(fs_.DirectoryListingsRead(), static_cast<std::size_t>(kFolders + 2));
  fs_.InvalidateCache();
  EXPECT_TRUE(fs_.FileExists("C:\\zdjęcia\\rok0\\foto_0.jpg"));
  EXPECT_GT(fs_.DirectoryListingsRead(), static_cast<std::size_t>(kFolders + 2));
}

TEST(DefaultFileSystemTest, ScopeReplacesAndRestores) {
  FileSystem& original = DefaultFileSystem();
  FileSystem replacement{DriveMap()};
  {
    ScopedDefaultFileSystem scope(replacement);
    EXPECT_EQ(&DefaultFileSystem(), &replacement);
  }
  EXPECT_EQ(&DefaultFileSystem(), &original);
}

}  // namespace
}  // namespace platform
