// Archive descriptors: writing, reading, compatibility with Windows-made files, naming.
#include <gtest/gtest.h>

#include <cmath>

#include "model_fixture.h"
#include "platform/code_page.h"
#include "platform/date_time.h"
#include "platform/ini_file.h"

namespace kw::test {
namespace {

KWPlusFile MakeFile(std::string path, std::string type, bool exists, bool skipped) {
  KWPlusFile f;
  f.Path = f.Location = std::move(path);
  f.Type = std::move(type);
  f.Exists = exists;
  f.Skipped = skipped;
  f.ByteSize = 1234;
  return f;
}

KWPlusProjekt SampleProject() {
  KWPlusProjekt p;
  p.ID = "{0B1A6E1C-36D4-4E3A-9F20-7C55A1D2E8B3}";
  p.Plik = "C:\\Dane\\Rodzina.kw";
  p.Nazwa = "Kopia grudniowa";
  p.Komentarz = "Zażółć gęślą jaźń ŻÓŁW";
  p.Protection = true;
  p.Size = 1263411;
  p.SizeKWFile = 2048;
  p.FileCount = 4;
  p.LiczbaOsob = 1532;
  p.LiczbaZw = 498;
  p.Files = {MakeFile("c:\\dane\\rodzina.kw", "KWFILE", true, false),
             MakeFile("c:\\zdjęcia\\a.jpg", "MULTIMEDIA", true, false),
             MakeFile("c:\\zdjęcia\\b.jpg", "MULTIMEDIA", true, false),
             MakeFile("c:\\zdjęcia\\brak.jpg", "MULTIMEDIA", false, false),
             MakeFile("c:\\wideo\\duzy.avi", "MULTIMEDIA", true, true),
             MakeFile("c:\\dane\\rodzina_monografie\\r1.rvf", "MONOGRAFIA", true, false)};
  return p;
}

double FloorToMinute(double t) { return std::floor(t * 1440.0 + 1e-7) / 1440.0; }

TEST_F(ModelTest, DescriptorRoundTripListsOnlyStoredFiles) {
  const KWPlusProjekt written = SampleProject();
  model_.Current.ID = written.ID;
  const std::string path = model_.CurrentDescriptorPath();
  EXPECT_EQ(path, "E:\\Kopie\\ArchiwumKW\\{0B1A6E1C-36D4-4E3A-9F20-7C55A1D2E8B3}.kwbackup");
  const double before = platform::Now();
  model_.WriteDescriptor(written, path);
  const double after = platform::Now();

  KWPlusProjekt read;
  read.Files.push_back({});
  model_.ReadDescriptor(read, path, true);
  EXPECT_EQ(read.DescriptorPath, path);
  for (auto field : {&KWPlusProjekt::ID, &KWPlusProjekt::Plik, &KWPlusProjekt::Nazwa,
                     &KWPlusProjekt::Komentarz}) {
    EXPECT_EQ(read.*field, written.*field);
  }
  for (auto field : {&KWPlusProjekt::Size, &KWPlusProjekt::SizeKWFile, &KWPlusProjekt::FileCount,
                     &KWPlusProjekt::LiczbaOsob, &KWPlusProjekt::LiczbaZw}) {
    EXPECT_EQ(read.*field, written.*field);
  }
  EXPECT_TRUE(read.Protection);
  EXPECT_GE(read.Created, FloorToMinute(before) - 1e-9);
  EXPECT_LE(read.Created, after);
  EXPECT_DOUBLE_EQ(read.Created, FloorToMinute(read.Created));

  std::vector<std::pair<std::string, std::string>> files;
  for (const KWPlusFile& f : read.Files) {
    EXPECT_TRUE(f.Exists);
    EXPECT_FALSE(f.Skipped);
    EXPECT_EQ(f.ByteSize, 0);
    files.emplace_back(f.Path, f.Type);
  }
  EXPECT_EQ(files, (std::vector<std::pair<std::string, std::string>>{
                       {"c:\\dane\\rodzina.kw", "KWFILE"},
                       {"c:\\zdjęcia\\a.jpg", "MULTIMEDIA"},
                       {"c:\\zdjęcia\\b.jpg", "MULTIMEDIA"},
                       {"c:\\dane\\rodzina_monografie\\r1.rvf", "MONOGRAFIA"}}));

  // Without files only [Ogolne] is read.
  KWPlusProjekt entry;
  model_.ReadDescriptor(entry, path, false);
  EXPECT_TRUE(entry.Files.empty());
  EXPECT_EQ(entry.Nazwa, written.Nazwa);
}

// Our descriptor has the sections, keys, order and encoding of a Windows-made one.
TEST_F(ModelTest, DescriptorTextIsAnsiCrLfInTheKnownOrder) {
  KWPlusProjekt p = SampleProject();
  p.Files[0].Skipped = true;  // a data file skipped for size is not listed
  const std::string path = "E:\\Kopie\\ArchiwumKW\\x.kwbackup";
  model_.WriteDescriptor(p, path);
  const std::string bytes = ReadBytes(machine_.E() / "Kopie" / "ArchiwumKW" / "x.kwbackup");
  EXPECT_NE(bytes.find("Komentarz=" + platform::Utf8ToCodePage(p.Komentarz, platform::CodePage::kAnsi) +
                       "\r\n"),
            std::string::npos);
  EXPECT_EQ(bytes.find("\xC5"), std::string::npos) << "no UTF-8 left in the file";
  EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
  std::size_t at = 0;
  for (const char* key :
       {"[Ogolne]", "\nID=", "\nPlik=", "\nNazwa=", "\nKomentarz=", "\nProtection=1", "\nSize=1263411",
        "\nSizeKWFile=2048", "\nFileCount=4", "\nLiczbaOsob=1532", "\nLiczbaZw=498", "\nData=",
        "\nGodzina=", "[Plik]", "\nPlik_1=c:\\", "\nPlik_1_TYP=MULTIMEDIA", "\nPlik_2=",
        "\nPlik_2_TYP=MULTIMEDIA", "\nPlik_3=c:\\dane\\rodzina_monografie\\r1.rvf",
        "\nPlik_3_TYP=MONOGRAFIA", "[Pliki]", "\nLiczba=3"}) {
    const std::size_t found = bytes.find(key, at);
    ASSERT_NE(found, std::string::npos) << key;
    at = found + 1;
  }
  EXPECT_EQ(bytes.find("Plik_4"), std::string::npos);
}

TEST_F(ModelTest, WindowsMadeDescriptorReadsBack) {
  const fs::path fixture = fs::path(KW_TEST_DATA_DIR) / "windows_descriptor.kwbackup";
  fs::copy_file(fixture, machine_.E() / "Kopie" / "ArchiwumKW" / "{W}.kwbackup");
  model_.Fs().InvalidateCache();
  KWPlusProjekt p;
  model_.ReadDescriptor(p, "E:\\Kopie\\ArchiwumKW\\{W}.kwbackup", true);
  EXPECT_EQ(p.ID, "{0B1A6E1C-36D4-4E3A-9F20-7C55A1D2E8B3}");
  EXPECT_EQ(p.Plik, "C:\\Dane\\Żółkiewscy.kw");
  EXPECT_EQ(p.Nazwa, "Kopia przed świętami");
  EXPECT_EQ(p.Komentarz, "Zdjęcia z Łodzi, ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
  EXPECT_TRUE(p.Protection);
  EXPECT_EQ(p.Size, 1263411);
  EXPECT_EQ(p.FileCount, 3);
  EXPECT_EQ(p.LiczbaOsob, 1532);
  EXPECT_EQ(p.LiczbaZw, 498);
  EXPECT_DOUBLE_EQ(p.Created, *platform::EncodeDate(2026, 12, 9) + *platform::EncodeTime(7, 5, 0, 0));
  ASSERT_EQ(p.Files.size(), 3u);
  EXPECT_EQ(p.Files[0].Path, "c:\\dane\\Żółkiewscy.kw");
  EXPECT_EQ(p.Files[0].FileName, "Żółkiewscy.kw");
  EXPECT_EQ(p.Files[1].Folder, "c:\\zdjęcia");
  EXPECT_EQ(p.Files[2].Type, "MONOGRAFIA");
}

struct DamagedDescriptor {
  std::string name;
  std::string text;
  std::vector<std::pair<std::string, std::string>> files;
  bool created;
};

void PrintTo(const DamagedDescriptor& d, std::ostream* os) { *os << d.name; }

class DamagedDescriptorTable : public ModelTest,
                               public ::testing::WithParamInterface<DamagedDescriptor> {};

TEST_P(DamagedDescriptorTable, ReadsAsDefaultsWithoutRaising) {
  const DamagedDescriptor& d = GetParam();
  WriteBytes(machine_.E() / "d.kwbackup", d.text);
  KWPlusProjekt p;
  p.Nazwa = "stale";
  p.Created = 5;
  model_.ReadDescriptor(p, "E:\\d.kwbackup", true);
  EXPECT_EQ(p.DescriptorPath, "E:\\d.kwbackup");
  EXPECT_EQ(p.Nazwa, "");
  EXPECT_EQ(p.Created != 0, d.created);
  std::vector<std::pair<std::string, std::string>> files;
  for (const KWPlusFile& f : p.Files) files.emplace_back(f.Path, f.Type);
  EXPECT_EQ(files, d.files);
}

INSTANTIATE_TEST_SUITE_P(
    Model, DamagedDescriptorTable,
    ::testing::Values(
        DamagedDescriptor{"Empty", "", {}, false},
        DamagedDescriptor{"MissingLastPathKey",
                          "[Ogolne]\r\nData=09-12-2026\r\nGodzina=07:05\r\n[Plik]\r\n"
                          "Plik_1=c:\\a\r\nPlik_1_TYP=KWFILE\r\nPlik_2=c:\\b\r\nPlik_2_TYP=X\r\n"
                          "[Pliki]\r\nLiczba=3\r\n",
                          {{"c:\\a", "KWFILE"}, {"c:\\b", "X"}, {"", ""}},
                          true},
        DamagedDescriptor{"TimeWithAnotherSeparator",
                          "[Ogolne]\r\nData=09-12-2026\r\nGodzina=07.05\r\n", {}, false},
        DamagedDescriptor{"DateInAnotherOrder",
                          "[Ogolne]\r\nData=2026-12-09\r\nGodzina=07:05\r\n", {}, false},
        // A count of two thousand million does not fill memory with empty entries.
        DamagedDescriptor{"HugeCount",
                          "[Plik]\r\nPlik_1=c:\\a\r\n[Pliki]\r\nLiczba=2147483647\r\n",
                          {{"c:\\a", ""}},
                          false},
        DamagedDescriptor{"NegativeCount", "[Plik]\r\nPlik_1=c:\\a\r\n[Pliki]\r\nLiczba=-3\r\n", {},
                          false}),
    [](const auto& row) { return row.param.name; });

TEST_F(ModelTest, MissingDescriptorReadsAsDefaults) {
  KWPlusProjekt p = SampleProject();
  model_.ReadDescriptor(p, "E:\\brak.kwbackup", true);
  KWPlusProjekt defaults;
  defaults.DescriptorPath = "E:\\brak.kwbackup";
  EXPECT_EQ(p, defaults);
}

// A descriptor is written whole or not at all.
TEST_F(ModelTest, FailedDescriptorWriteRaisesAndLeavesNothing) {
  const KWPlusProjekt p = SampleProject();
  try {
    model_.WriteDescriptor(p, "E:\\brak\\x.kwbackup");
    FAIL() << "no error";
  } catch (const platform::IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to E:\\brak\\x.kwbackup");
  }
  EXPECT_FALSE(fs::exists(machine_.E() / "brak"));

  // The target cannot be replaced (a folder stands there): no temporary is left beside it.
  const fs::path folder = machine_.E() / "Kopie" / "ArchiwumKW";
  WriteBytes(folder / "{X}.kwbackup" / "inside", "x");
  model_.Fs().InvalidateCache();
  EXPECT_THROW(model_.WriteDescriptor(p, "E:\\Kopie\\ArchiwumKW\\{X}.kwbackup"),
               platform::IniWriteError);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(folder)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"files", "{X}.kwbackup"}));
}

TEST_F(ModelTest, ArchiveNamingAndIds) {
  const std::string id = model_.NewArchiveId();
  EXPECT_EQ(model_.Current.ID, id);
  ASSERT_EQ(id.size(), 38u);
  EXPECT_EQ(id.front(), '{');
  EXPECT_NE(model_.NewArchiveId(), id);
  model_.Current.ID = "{0B1A6E1C-36D4-4E3A-9F20-7C55A1D2E8B3}";
  EXPECT_EQ(model_.ArchivePathOf(""),
            "E:\\Kopie\\ArchiwumKW\\\\files\\{0B1A6E1C-36D4-4E3A-9F20-7C55A1D2E8B3}.zip");
  EXPECT_EQ(model_.ArchivePathOf("{B}"), "E:\\Kopie\\ArchiwumKW\\\\files\\{B}.zip");
}

TEST(ArchiveMemberName, Md5OfTheLowerCasedPathInCp1250) {
  struct Row {
    const char* path;
    const char* member;
  };
  for (const Row& r : {Row{"c:\\dane\\rodzina.kw", "77749A18231C032D589F7F13341E4B8D"},
                       Row{"C:\\Dane\\RODZINA.kw", "77749A18231C032D589F7F13341E4B8D"},
                       // cp1250 bytes, not UTF-8 (which would give 3F688B83...)
                       Row{"c:\\zdjęcia\\Łąka.jpg", "2DAAC355D9669EC9E40216AD2282E4A6"}}) {
    KWPlusFile f;
    f.Path = r.path;
    EXPECT_EQ(KWPlus::ArchiveMemberName(f), r.member) << r.path;
  }
}

}  // namespace
}  // namespace kw::test
