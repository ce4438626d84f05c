// INI files on host paths: a file made on Windows, round trips, partial reads and saving
// safely.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <algorithm>
#include <string>

#include "platform/code_page.h"
#include "platform/ini_host.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class IniHost : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kw_ini_host_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
    return names;
  }
  fs::path dir_;
};

TEST_F(IniHost, ReadsADescriptorMadeOnWindows) {
  const fs::path fixture = fs::path(KW_TEST_DATA_DIR) / "descriptor_cp1250.kwbackup";
  const IniDocument doc = LoadIni(fixture);
  EXPECT_EQ(*doc.Find("ogolne", "plik"), "C:\\Dane\\Rodzina Ślązaków.kw");
  EXPECT_EQ(*doc.Find("Ogolne", "Komentarz"), "Zażółć gęślą jaźń – ŻÓŁW");
  EXPECT_EQ(*doc.Find("Plik", "Plik_1_TYP"), "KWFILE");
  EXPECT_EQ(*doc.Find("PLIKI", "Liczba"), "1");
  // Changing one key keeps every other byte.
  const fs::path copy = dir_ / "copy.kwbackup";
  fs::copy_file(fixture, copy);
  IniDocument changed = LoadIni(copy);
  changed.Write("Ogolne", "Size", "1263411");
  ASSERT_TRUE(SaveIni(copy, changed));
  EXPECT_EQ(ReadBytes(copy), ReadBytes(fixture));

  const IniDocument first = LoadIniSection(fixture, "Ogolne");
  EXPECT_EQ(*first.Find("Ogolne", "Godzina"), "07:05");
  EXPECT_FALSE(first.SectionExists("Pliki"));
}

TEST_F(IniHost, MissingFileReadsEmpty) {
  EXPECT_FALSE(LoadIni(dir_ / "none.ini").SectionExists("Ogolne"));
  EXPECT_FALSE(LoadIniSection(dir_ / "none.ini", "Ogolne").SectionExists("Ogolne"));
  EXPECT_FALSE(LoadIni(dir_).SectionExists("Ogolne"));  // a folder
}

TEST_F(IniHost, RoundTripWithPolishLettersAndACharacterOutsideTheCodePage) {
  const fs::path path = dir_ / "config.ini";
  IniDocument doc;
  doc.Write("Ogolne", "FolderGlowny", "D:\\Archiwum Łódź");
  doc.Write("Ogolne", "Folder", "Dom 漢");
  ASSERT_TRUE(SaveIni(path, doc));
  EXPECT_EQ(ReadBytes(path),
            "[Ogolne]\r\nFolderGlowny=D:\\Archiwum \xA3\xF3" "d\x9F\r\nFolder=Dom ?\r\n");
  const IniDocument back = LoadIni(path);
  EXPECT_EQ(*back.Find("Ogolne", "FolderGlowny"), "D:\\Archiwum Łódź");
  EXPECT_EQ(*back.Find("Ogolne", "Folder"), "Dom ?");
}

TEST_F(IniHost, Utf16FileKeepsItsEncoding) {
  const fs::path path = dir_ / "unicode.ini";
  WriteBytes(path, "\xFF\xFE" + Utf8ToUtf16Le("[Dane]\r\nBaza=C:\\Łąka.kw\r\n"));
  IniDocument doc = LoadIni(path);
  EXPECT_EQ(*doc.Find("dane", "baza"), "C:\\Łąka.kw");
  doc.Write("Dane", "Inny", "漢");
  ASSERT_TRUE(SaveIniAtomically(path, doc));
  EXPECT_EQ(ReadBytes(path),
            "\xFF\xFE" + Utf8ToUtf16Le("[Dane]\r\nBaza=C:\\Łąka.kw\r\nInny=漢\r\n"));
  EXPECT_EQ(*LoadIniSection(path, "Dane").Find("Dane", "Inny"), "漢");
}

TEST_F(IniHost, SectionReadBeyondTheFirstPiece) {
  // A section that ends far beyond the first piece read, and one that is the last.
  IniDocument doc;
  for (int i = 1; i <= 2000; ++i) doc.Write("Plik", "Plik_" + std::to_string(i), "c:\\x.jpg");
  doc.Write("Pliki", "Liczba", "2000");
  const fs::path path = dir_ / "long.kwbackup";
  ASSERT_TRUE(SaveIni(path, doc));
  const IniDocument plik = LoadIniSection(path, "plik");
  EXPECT_EQ(*plik.Find("Plik", "Plik_2000"), "c:\\x.jpg");
  EXPECT_FALSE(plik.SectionExists("Pliki"));
  EXPECT_EQ(*LoadIniSection(path, "Pliki").Find("Pliki", "Liczba"), "2000");
  EXPECT_THROW(SaveIni(path, plik), std::logic_error);
}

TEST_F(IniHost, SaveAtomicallyReplacesAndKeepsTheMode) {
  const fs::path path = dir_ / "a.ini";
  WriteBytes(path, "[s]\r\nk=1\r\n");
  ::chmod(path.c_str(), 0640);
  IniDocument doc = LoadIni(path);
  doc.Write("s", "k", "2");
  ASSERT_TRUE(SaveIniAtomically(path, doc));
  EXPECT_EQ(ReadBytes(path), "[s]\r\nk=2\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"a.ini"});
}

TEST_F(IniHost, FailedSavesLeaveNoTemporaryFile) {
  IniDocument doc;
  doc.Write("s", "k", "v");
  // The parent is a regular file: nothing can be created there.
  const fs::path notAFolder = dir_ / "file";
  WriteBytes(notAFolder, "x");
  EXPECT_FALSE(SaveIni(notAFolder / "a.ini", doc));
  EXPECT_FALSE(SaveIniAtomically(notAFolder / "a.ini", doc));
  // The temporary file is written, but the rename onto a folder fails.
  fs::create_directory(dir_ / "target.ini");
  EXPECT_FALSE(SaveIniAtomically(dir_ / "target.ini", doc));
  std::vector<std::string> names = Entries();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"file", "target.ini"}));
}

}  // namespace
}  // namespace platform
