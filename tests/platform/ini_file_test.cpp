// IniFile and the key-by-key profile functions, on files reached by Windows paths.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>

#include "platform/ini_file.h"
#include "tests/platform/fs_test_support.h"

namespace platform {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() : fs_(Map()) {}
  DriveMap Map() const {
    DriveMap map;
    map.Map('E', temp_.path());
    return map;
  }
  testing::TempFolder temp_;
  FileSystem fs_;
};

TEST_F(IniFileTest, MissingFileGivesDefaults) {
  const IniFile ini("E:\\config.ini", fs_);
  EXPECT_EQ(ini.ReadInteger("Ogolne", "GrupowanieKolumna", 300), 300);
  EXPECT_EQ(ini.ReadString("Ogolne", "Folder", "dflt"), "dflt");
  EXPECT_TRUE(ini.ReadBool("Ogolne", "MultimediaGrupuj", true));
  EXPECT_FALSE(ini.SectionExists("Ogolne"));
  EXPECT_EQ(GetPrivateProfileInt("Ogolne", "MultimediaPominSize", 20, "E:\\config.ini", fs_), 20);
  EXPECT_EQ(GetPrivateProfileString("Dane", "Baza", "", "E:\\none\\kw8.ini", fs_), "");
}

TEST_F(IniFileTest, ReadsValuesThroughCaseInsensitivePaths) {
  temp_.File("Kopie/config.ini",
             "[Ogolne]\r\n"
             "GrupowanieKolumna=abc\r\n"
             "MultimediaPominSize=0x14\r\n"
             "LoadFromHDD=1\r\n"
             "MultimediaZastap=0\r\n"
             "Liczba=12abc\r\n");
  const IniFile ini("E:\\KOPIE\\Config.INI", fs_);
  EXPECT_EQ(ini.ReadInteger("Ogolne", "GrupowanieKolumna", 300), 300);  // text: the default
  EXPECT_EQ(ini.ReadInteger("OGOLNE", "multimediapominsize", 20), 20);
  EXPECT_TRUE(ini.ReadBool("Ogolne", "LoadFromHDD", false));
  EXPECT_FALSE(ini.ReadBool("Ogolne", "MultimediaZastap", true));
  EXPECT_EQ(ini.ReadInteger("Ogolne", "Liczba", 7), 7);
  EXPECT_TRUE(ini.ValueExists("ogolne", "LOADFROMHDD"));
  // The system function reads the leading digits instead.
  EXPECT_EQ(GetPrivateProfileInt("Ogolne", "Liczba", 7, "E:\\kopie\\config.ini", fs_), 12);
  EXPECT_EQ(GetPrivateProfileInt("Ogolne", "GrupowanieKolumna", 7, "E:\\kopie\\config.ini", fs_),
            0);
  EXPECT_EQ(GetPrivateProfileInt("Ogolne", "MultimediaPominSize", 7, "E:\\kopie\\config.ini",
                                 fs_),
            20);
}

TEST_F(IniFileTest, KeyByKeyWritesCreateAnAnsiFileAndKeepHandAddedKeys) {
  ASSERT_TRUE(WritePrivateProfileString("Ogolne", "Folder", "Łódź", "E:\\config.ini", fs_));
  EXPECT_EQ(testing::ReadAll(temp_ / "config.ini"), "[Ogolne]\r\nFolder=\xA3\xF3" "d\x9F\r\n");
  temp_.File("config.ini", "[Ogolne]\r\nLoadFromHDD=1\r\nFolder=x\r\n");
  ASSERT_TRUE(WritePrivateProfileString("ogolne", "FOLDER", "Dom", "E:\\config.ini", fs_));
  ASSERT_TRUE(WritePrivateProfileString("Aktualizacja", "Sprawdz", "42417", "E:\\config.ini", fs_));
  EXPECT_EQ(testing::ReadAll(temp_ / "config.ini"),
            "[Ogolne]\r\nLoadFromHDD=1\r\nFolder=Dom\r\n[Aktualizacja]\r\nSprawdz=42417\r\n");
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", "E:\\missing\\x.ini", fs_));
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "v", "Q:\\x.ini", fs_));  // unmapped drive
}

TEST_F(IniFileTest, RoundTripOfIntegersBooleansAndTexts) {
  EXPECT_TRUE(fs_.FindFiles("E:\\*.kwbackup").empty());  // a listing now cached
  {
    IniFile ini("E:\\d.kwbackup", fs_);
    ini.WriteString("Ogolne", "Komentarz", "Zażółć 漢");
    ini.WriteInteger("Ogolne", "Size", -1);
    ini.WriteBool("Ogolne", "Protection", true);
    ini.SaveAtomically();
  }
  // The file system's listings see the new file.
  EXPECT_EQ(fs_.FindFiles("E:\\*.kwbackup").size(), 1u);
  const IniFile ini = IniFile::OpenSection("E:\\D.KWBACKUP", "ogolne", fs_);
  EXPECT_EQ(ini.Path(), "E:\\D.KWBACKUP");
  EXPECT_EQ(ini.ReadString("Ogolne", "Komentarz", ""), "Zażółć ?");
  EXPECT_EQ(ini.ReadInteger("Ogolne", "Size", 0), -1);
  EXPECT_TRUE(ini.ReadBool("Ogolne", "Protection", false));
  EXPECT_EQ(ini.Keys("Ogolne"), (std::vector<std::string>{"Komentarz", "Size", "Protection"}));
}

TEST_F(IniFileTest, WriteFailuresRaiseIniWriteErrorAndLeaveNoTemporaryFile) {
  temp_.File("plik", "not a folder");
  IniFile ini("E:\\plik\\d.kwbackup", fs_);
  ini.WriteString("Ogolne", "ID", "x");
  try {
    ini.SaveAtomically();
    FAIL() << "no IniWriteError";
  } catch (const IniWriteError& e) {
    EXPECT_STREQ(e.what(), "Unable to write to E:\\plik\\d.kwbackup");
  }
  EXPECT_THROW(ini.Save(), IniWriteError);
  IniFile unmapped("Q:\\d.kwbackup", fs_);
  EXPECT_THROW(unmapped.Save(), IniWriteError);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(temp_.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST_F(IniFileTest, AnUnreadableFileIsNeverOverwritten) {
  // A FIFO stands for a file that exists but cannot be read (root reads any file).
  ASSERT_EQ(::mkfifo((temp_ / "config.ini").c_str(), 0644), 0);
  temp_.Folder("folder.ini");
  for (const char* path : {"E:\\config.ini", "E:\\folder.ini"}) {
    IniFile ini(path, fs_);
    EXPECT_FALSE(ini.SectionExists("Ogolne"));
    ini.WriteString("Ogolne", "Folder", "x");
    EXPECT_THROW(ini.Save(), IniWriteError) << path;
    EXPECT_THROW(ini.SaveAtomically(), IniWriteError) << path;
    EXPECT_FALSE(WritePrivateProfileString("Ogolne", "Folder", "x", path, fs_));
  }
  EXPECT_TRUE(std::filesystem::is_fifo(temp_ / "config.ini"));
}

TEST_F(IniFileTest, AFileReadUpToOneSectionCannotBeChanged) {
  temp_.File("d.kwbackup", "[Ogolne]\r\nID=x\r\n[Plik]\r\nPlik_1=a\r\n");
  IniFile ini = IniFile::OpenSection("E:\\d.kwbackup", "Ogolne", fs_);
  EXPECT_FALSE(ini.SectionExists("Plik"));
  EXPECT_THROW(ini.WriteString("Ogolne", "ID", "y"), std::logic_error);
  EXPECT_THROW(ini.Save(), std::logic_error);
  EXPECT_EQ(testing::ReadAll(temp_ / "d.kwbackup"), "[Ogolne]\r\nID=x\r\n[Plik]\r\nPlik_1=a\r\n");
}

}  // namespace
}  // namespace platform
