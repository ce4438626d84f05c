// KWPlus construction, folders, file listing, drives; the genealogy program's settings.
#include <gtest/gtest.h>

#include "model_fixture.h"
#include "platform/code_page.h"

namespace kw::test {
namespace {

TEST_F(ModelTest, ConstructionSetsFoldersAndCreatesThem) {
  EXPECT_EQ(model_.ArchiveFolder(), "E:\\Kopie\\ArchiwumKW\\");
  EXPECT_EQ(model_.FilesFolder(), "E:\\Kopie\\ArchiwumKW\\\\files\\");
  EXPECT_EQ(model_.TempFolder(), "C:\\users\\jan\\AppData\\Local\\Temp\\");
  EXPECT_EQ(model_.DescriptorExt(), "kwbackup");
  EXPECT_EQ(model_.GroupMode, -1);
  EXPECT_EQ(model_.MaxFileSizeMB(), -1);
  EXPECT_EQ(model_.Current, KWPlusProjekt{});
  EXPECT_TRUE(model_.Projects.empty());
  EXPECT_TRUE(model_.Drives(false).empty());
  EXPECT_TRUE(fs::is_directory(machine_.E() / "Kopie" / "ArchiwumKW" / "files"));
  EXPECT_TRUE(fs::is_directory(machine_.C() / "users" / "jan" / "AppData" / "Local" / "Temp"));
}

TEST(KWPlusConstruction, SecondStartChangesNothingAndUnwritableFolderIsNotFatal) {
  FakeMachine machine;
  const fs::path kept = machine.E() / "Kopie" / "ArchiwumKW" / "files" / "{A}.zip";
  {
    KWPlus first(machine.Setup());
    WriteBytes(kept, "zip");
  }
  KWPlus second(machine.Setup());
  EXPECT_EQ(ReadBytes(kept), "zip");

  KWPlusSetup setup = machine.Setup();
  setup.executablePath = "Q:\\ArchiwumKW.exe";  // a drive that is not mapped
  setup.localAppDataFolder.clear();
  KWPlus nowhere(setup);
  EXPECT_EQ(nowhere.ArchiveFolder(), "Q:\\ArchiwumKW\\");
  EXPECT_EQ(nowhere.TempFolder(), "Q:\\ArchiwumKW\\Temp\\");
}

TEST_F(ModelTest, ListFilesSkipsFoldersAndKeepsOnlyTheExtension) {
  const fs::path folder = machine_.E() / "Kopie" / "ArchiwumKW";
  WriteBytes(folder / "{1}.kwbackup", "");
  WriteBytes(folder / "{2}.KWBACKUP", "");
  WriteBytes(folder / "inny.txt", "");
  fs::create_directories(folder / "a.kwbackup");
  model_.Fs().InvalidateCache();
  std::vector<std::string> list{"stale"};
  model_.ListFiles(model_.ArchiveFolder(), list, "kwbackup");
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"{1}.kwbackup", "{2}.KWBACKUP"}));
  model_.ListFiles("E:\\brak\\", list, "kwbackup");
  EXPECT_TRUE(list.empty());
}

TEST_F(ModelTest, UsbTestIsFalseForPathsWithoutALocalDrive) {
  for (const char* path : {"", "ArchiwumKW.exe", "\\\\server\\share\\ArchiwumKW.exe",
                           "Q:\\ArchiwumKW.exe"}) {
    EXPECT_FALSE(model_.IsOnUsbDrive(path)) << path;
  }
}

TEST(TheKWPlus, ScopedReplacement) {
  FakeMachine machine;
  KWPlus test(machine.Setup());
  ScopedTheKWPlus scope(test);
  EXPECT_EQ(&TheKWPlus(), &test);
}

// ---- kw8.ini candidates (a Wine prefix's C: drive) and the recent data files.

constexpr const char* kRoaming = "users/jan/AppData/Roaming/tessaro/kw/kw8.ini";
constexpr const char* kX86 =
    "users/jan/AppData/Local/VirtualStore/Program Files (x86)/Kronika Wieków II/tessaro/kw/kw8.ini";
constexpr const char* kProgramFiles =
    "users/jan/AppData/Local/VirtualStore/Program Files/Kronika Wieków II/tessaro/kw/kw8.ini";

struct IniCandidates {
  std::string name;
  std::vector<const char*> existing;
  std::string chosen;
};

void PrintTo(const IniCandidates& c, std::ostream* os) { *os << c.name; }

class FindGenealogyIniTable : public ::testing::TestWithParam<IniCandidates> {};

TEST_P(FindGenealogyIniTable, LastExistingCandidateWins) {
  FakeMachine machine;
  for (const char* f : GetParam().existing) WriteBytes(machine.C() / f, "[Dane]\r\n");
  KWPlus model(machine.Setup());
  EXPECT_EQ(model.GenealogyIniPath, GetParam().chosen);
}

const std::string kRoamingWin = "C:\\users\\jan\\AppData\\Roaming\\tessaro\\kw\\kw8.ini";
const std::string kX86Win =
    "C:\\users\\jan\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Kronika Wieków "
    "II\\tessaro\\kw\\kw8.ini";
const std::string kProgramFilesWin =
    "C:\\users\\jan\\AppData\\Local\\VirtualStore\\Program Files\\Kronika Wieków "
    "II\\tessaro\\kw\\kw8.ini";

INSTANTIATE_TEST_SUITE_P(
    Model, FindGenealogyIniTable,
    ::testing::Values(IniCandidates{"None", {}, kRoamingWin},
                      IniCandidates{"OnlyRoaming", {kRoaming}, kRoamingWin},
                      IniCandidates{"RoamingAndX86", {kRoaming, kX86}, kX86Win},
                      IniCandidates{"AllThree", {kRoaming, kX86, kProgramFiles}, kProgramFilesWin},
                      IniCandidates{"X86AndProgramFiles", {kX86, kProgramFiles}, kProgramFilesWin}),
    [](const auto& row) { return row.param.name; });

class RecentDataFiles : public ModelTest {
 protected:
  // The genealogy program writes its settings in the ANSI code page.
  void WriteIni(std::string_view text) {
    WriteBytes(machine_.C() / kRoaming, platform::Utf8ToCodePage(text, platform::CodePage::kAnsi));
  }
  std::string Read(bool onlyExisting) {
    list_ = {"stale"};
    return model_.ReadRecentDataFiles(model_.GenealogyIniPath, list_, onlyExisting);
  }
  std::vector<std::string> list_;
};

TEST_F(RecentDataFiles, SortedCaseInsensitiveEachOnceAndBazaTrimmed) {
  WriteBytes(machine_.C() / "Dane" / "Rodzina.kw", "");
  WriteBytes(machine_.C() / "Dane" / "Żukowscy.kw", "");
  WriteIni(
      "[UzytePliki]\r\nLiczba=6\r\nPlik_1=C:\\Dane\\Rodzina.kw\r\nPlik_2=\r\n"
      "Plik_3=c:\\dane\\rodzina.kw\r\nPlik_4=C:\\Dane\\Usunięty.kw\r\n"
      "Plik_5=C:\\Dane\\Żukowscy.kw\r\nPlik_6=C:\\Dane\\Abacki.kw\r\nPlik_7=C:\\Dane\\Poza.kw\r\n"
      "[Dane]\r\nBaza=  C:\\Dane\\Zniknęła.kw  \r\n");
  EXPECT_EQ(Read(false), "C:\\Dane\\Zniknęła.kw");
  EXPECT_EQ(list_, (std::vector<std::string>{"C:\\Dane\\Abacki.kw", "C:\\Dane\\Rodzina.kw",
                                             "C:\\Dane\\Usunięty.kw", "C:\\Dane\\Zniknęła.kw",
                                             "C:\\Dane\\Żukowscy.kw"}));
  // Only existing recent files; the file in use is offered even when it is gone.
  EXPECT_EQ(Read(true), "C:\\Dane\\Zniknęła.kw");
  EXPECT_EQ(list_, (std::vector<std::string>{"C:\\Dane\\Rodzina.kw", "C:\\Dane\\Zniknęła.kw",
                                             "C:\\Dane\\Żukowscy.kw"}));
}

TEST_F(RecentDataFiles, EmptyBazaAddsNoEmptyLine) {
  WriteIni("[UzytePliki]\r\nLiczba=1\r\nPlik_1=C:\\a.kw\r\n[Dane]\r\nBaza=   \r\n");
  EXPECT_EQ(Read(false), "");
  EXPECT_EQ(list_, std::vector<std::string>{"C:\\a.kw"});
}

TEST_F(RecentDataFiles, MissingFileOrBadCountReadsAsEmpty) {
  EXPECT_EQ(Read(false), "");
  EXPECT_TRUE(list_.empty());
  WriteIni("[UzytePliki]\r\nLiczba=dwa\r\nPlik_1=C:\\a.kw\r\n");
  EXPECT_EQ(Read(false), "");
  EXPECT_TRUE(list_.empty());
  // A damaged count of two thousand million reads the keys that are there, quickly.
  WriteIni("[UzytePliki]\r\nLiczba=2147483647\r\nPlik_2=C:\\b.kw\r\nPlik_02=C:\\c.kw\r\n");
  Read(false);
  EXPECT_EQ(list_, std::vector<std::string>{"C:\\b.kw"});
  list_ = {"stale"};
  EXPECT_EQ(model_.ReadRecentDataFiles("", list_, false), "");
  EXPECT_TRUE(list_.empty());
}

}  // namespace
}  // namespace kw::test
