// The genealogy data file reader: references, counts, malformed files, the size limit and
// the monograph folder.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "model/data_file_text.h"
#include "model_fixture.h"
#include "platform/win_error.h"

namespace kw::test {
namespace {

constexpr const char* kDataFile = "C:\\Dane\\Rodzina.kw";

struct Entry {
  std::string path;
  std::string type;
  bool exists;
  bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* os) {
  *os << "{" << e.path << ", " << e.type << ", " << (e.exists ? "exists" : "missing") << "}";
}

struct DataFileCase {
  std::string name;
  std::string content;                  // bytes of C:\Dane\Rodzina.kw
  std::vector<std::string> hostFiles;   // below drive C:, created with a few bytes
  std::vector<Entry> multimedia;        // expected after the KWFILE entry
  std::optional<std::int32_t> persons;  // nullopt: kept at its earlier value (7)
  std::optional<std::int32_t> relations;
  bool malformed = false;               // DataFileError expected
};

void PrintTo(const DataFileCase& c, std::ostream* os) { *os << c.name; }

DataFileCase Case(std::string name, std::string content, std::vector<std::string> hostFiles,
                  std::vector<Entry> multimedia, std::optional<std::int32_t> persons = std::nullopt,
                  std::optional<std::int32_t> relations = std::nullopt, bool malformed = false) {
  DataFileCase c;
  c.name = std::move(name);
  c.content = std::move(content);
  c.hostFiles = std::move(hostFiles);
  c.multimedia = std::move(multimedia);
  c.persons = persons;
  c.relations = relations;
  c.malformed = malformed;
  return c;
}

const Entry kM(std::string path, bool exists = true) { return {std::move(path), "MULTIMEDIA", exists}; }

class ReadDataFileTable : public ModelTest, public ::testing::WithParamInterface<DataFileCase> {};

TEST_P(ReadDataFileTable, EntriesAndCounts) {
  const DataFileCase& c = GetParam();
  WriteBytes(machine_.C() / "Dane" / "Rodzina.kw", c.content);
  for (const std::string& f : c.hostFiles) WriteBytes(machine_.C() / f, "12345");
  model_.Current.LiczbaOsob = 7;
  model_.Current.LiczbaZw = 7;
  model_.Current.Nazwa = "kept";

  if (c.malformed) {
    EXPECT_THROW(model_.ReadDataFile(kDataFile), DataFileError);
  } else {
    model_.ReadDataFile(kDataFile);
    EXPECT_EQ(model_.Current.SizeKWFile, static_cast<std::int32_t>(c.content.size() / 1024));
  }
  std::vector<Entry> got;
  for (const KWPlusFile& f : model_.Current.Files) got.push_back({f.Path, f.Type, f.Exists});
  std::vector<Entry> want{{"c:\\dane\\rodzina.kw", "KWFILE", true}};
  want.insert(want.end(), c.multimedia.begin(), c.multimedia.end());
  EXPECT_EQ(got, want);
  EXPECT_EQ(model_.Current.Plik, kDataFile);
  EXPECT_EQ(model_.Current.LiczbaOsob, c.persons.value_or(7));
  EXPECT_EQ(model_.Current.LiczbaZw, c.relations.value_or(7));
  EXPECT_EQ(model_.Current.Nazwa, "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Model, ReadDataFileTable,
    ::testing::Values(
        Case("BomAndLfLineEnds",
                     "\xEF\xBB\xBF<KW>\n<Osoby Liczba=\"1532\">\n<Rodziny Liczba=\"498\">\n"
                     "<Foto Plik=\"C:\\Zdjecia\\Babcia.JPG\"/>\n</KW>\n",
                     {"Zdjecia/babcia.jpg"},
                     {kM("c:\\zdjecia\\babcia.jpg")},
                     1532, 498),
        Case("CrOnlyLineEndsAndNoBom",
                     "<Osoby Liczba=\"3\">\r<Rodziny Liczba=\"1\">\r<F Plik=\"C:\\a.jpg\"/>",
                     {},
                     {kM("c:\\a.jpg", false)},
                     3, 1),
        Case("MixedCaseResolvedCaseInsensitively",
                     "<F Plik=\"C:\\ZDJĘCIA\\Dziadek.JPG\"/><F Plik=\"c:\\zdjęcia\\BRAK.jpg\"/>",
                     {"Zdjęcia/DZIADEK.jpg"},
                     {kM("c:\\zdjĘcia\\dziadek.jpg"), kM("c:\\zdjęcia\\brak.jpg", false)}),
        Case("Plik2AndPlikWithTheSamePath",
                     "<F Plik2=\"D:\\a.jpg\" Plik=\"D:\\a.jpg\"/>",
                     {},
                     {kM("d:\\a.jpg", false), kM("d:\\a.jpg", false)}),
        Case("MarkerAtTheEndOfALongerNameAndInText",
                     "<F xPlik=\"C:\\x.jpg\" plik=\"C:\\no1.jpg\" PLIK=\"C:\\no2.jpg\"/>"
                     "<T>Plik=\"C:\\t.jpg\"</T>",
                     {"x.jpg"},
                     {kM("c:\\x.jpg"), kM("c:\\t.jpg", false)}),
        Case("WebReferencesInAnyCase",
                     "<F Plik=\"HTTP://example.org/a.jpg\"/><F Plik=\"Ftp:host/b.jpg\"/>"
                     "<F Plik=\"https://example.org/c.jpg\"/><F Plik=\"C:\\d.jpg\"/>",
                     {},
                     {kM("c:\\d.jpg", false)}),
        Case("EmptyValuesAddNothing",
                     "<F Plik=\"\"/><F Plik2=\"\"/><Osoby Liczba=\"0\">",
                     {},
                     {},
                     0),
        Case("OnlyAToZLowered",
                     "<F Plik=\"C:\\Łódź\\Foto.JPG\"/>",
                     {"Łódź/foto.jpg"},
                     {kM("c:\\Łódź\\foto.jpg")}),
        Case("FolderIsNotAFile",
                     "<F Plik=\"C:\\Zdjecia\"/>",
                     {"Zdjecia/x.jpg"},
                     {kM("c:\\zdjecia", false)}),
        Case("NineDigitCountAndNegativeCount",
                     "<Osoby Liczba=\"123456789\"><Rodziny Liczba=\"-5\">",
                     {},
                     {},
                     123456789, -5),
        Case("MissingMarkersKeepTheCounts", "<KW><Osoby/></KW>", {}, {}),
        Case("EmptyFile", "", {}, {}),
        // Malformed files: the entries before the fault stay, nothing is read past the end.
        Case("TenDigitCount",
                     "<F Plik=\"C:\\a.jpg\"/><Osoby Liczba=\"1234567890\">",
                     {},
                     {kM("c:\\a.jpg", false)},
                     std::nullopt, std::nullopt, true),
        Case("CountWithoutClosingQuoteAtTheEnd",
                     "<Osoby Liczba=\"12",
                     {},
                     {},
                     std::nullopt, std::nullopt, true),
        Case("NonNumericCount",
                     "<Osoby Liczba=\"12\"><Rodziny Liczba=\"dużo\">",
                     {},
                     {},
                     12, std::nullopt, true),
        Case("EmptyCount", "<Osoby Liczba=\"\">", {}, {}, std::nullopt, std::nullopt, true),
        Case("UnterminatedReference",
                     "<F Plik=\"C:\\a.jpg\"/><Osoby Liczba=\"5\">\n<F Plik=\"C:\\b.jpg/>\n",
                     {},
                     {kM("c:\\a.jpg", false)},
                     std::nullopt, std::nullopt, true),
        Case("MarkerAsTheLastText", "<F Plik=", {}, {}, std::nullopt, std::nullopt, true)),
    [](const ::testing::TestParamInfo<DataFileCase>& row) { return row.param.name; });

TEST(DataFileText, JoinsLinesWithCrLfAndDropsTheByteOrderMark) {
  EXPECT_EQ(DataFileText("\xEF\xBB\xBF" "a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(DataFileText("a\r\n\r\n"), "a\r\n\r\n");
  EXPECT_EQ(DataFileText(""), "");
  // A malformed byte becomes U+FFFD instead of travelling on into paths.
  EXPECT_EQ(DataFileText("\xC3(\n"), "\xEF\xBF\xBD(\r\n");
  EXPECT_EQ(DataFileText("abcdefgh1\xFF\xEF\xBF\xBDż"), "abcdefgh1\xEF\xBF\xBD\xEF\xBF\xBDż\r\n");
  EXPECT_EQ(DataFileText("a\xE2\x82"), "a\xEF\xBF\xBD\xEF\xBF\xBD\r\n");  // cut at the end
}

TEST_F(ModelTest, DataFileThatCannotBeOpened) {
  model_.Current.Plik = "earlier.kw";
  EXPECT_THROW(model_.ReadDataFile("C:\\Dane\\brak.kw"), platform::OsError);
  ASSERT_EQ(model_.Current.Files.size(), 1u);
  EXPECT_EQ(model_.Current.Files[0].Type, "KWFILE");
  EXPECT_FALSE(model_.Current.Files[0].Exists);
  EXPECT_EQ(model_.Current.Plik, "earlier.kw");
}

// The size limit on sparse files: strictly greater than the limit is skipped.
TEST_F(ModelTest, SizeLimit) {
  constexpr std::uintmax_t kMB = 1048576;
  MakeSparseFile(machine_.C() / "v" / "film300.avi", 300 * kMB);
  MakeSparseFile(machine_.C() / "v" / "film250.avi", 250 * kMB);
  MakeSparseFile(machine_.C() / "v" / "film250plus.avi", 250 * kMB + 1);
  MakeSparseFile(machine_.C() / "v" / "duzy.avi", 5 * 1024 * kMB);
  WriteBytes(machine_.C() / "Dane" / "Rodzina.kw",
             "<F Plik=\"C:\\v\\film300.avi\"/><F Plik=\"C:\\v\\film250.avi\"/>"
             "<F Plik=\"C:\\v\\film250plus.avi\"/><F Plik=\"C:\\v\\duzy.avi\"/>");
  struct Limit {
    double mb;
    std::vector<bool> skipped;  // KWFILE, 300 MB, 250 MB, 250 MB + 1, 5 GiB
  };
  for (const Limit& l : {Limit{250.0, {false, true, false, true, true}},
                         Limit{-1.0, {false, false, false, false, false}},
                         Limit{0.0, {true, true, true, true, true}}}) {
    SCOPED_TRACE(l.mb);
    model_.SetMaxFileSizeMB(l.mb);
    model_.ReadDataFile(kDataFile);
    ASSERT_EQ(model_.Current.Files.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(model_.Current.Files[i].Skipped, l.skipped[i]) << i;
      EXPECT_TRUE(model_.Current.Files[i].Exists) << i;
    }
  }
  EXPECT_EQ(model_.Current.Files[4].ByteSize, 5368709120);
  EXPECT_EQ(model_.Current.Files[2].ByteSize, 262144000);
  EXPECT_EQ(model_.FileSizeOf("C:\\V\\FILM250.AVI", true), 256000.0);
  EXPECT_EQ(model_.FileSizeOf("C:\\v\\none.avi", false), 0.0);
}

TEST_F(ModelTest, MaxFileSizeMBTruncatesTowardZero) {
  for (auto [set, get] : {std::pair{20.9, 20}, {-1.0, -1}, {-0.5, 0}, {0.0, 0}}) {
    model_.SetMaxFileSizeMB(set);
    EXPECT_EQ(model_.MaxFileSizeMB(), get) << set;
  }
}

TEST_F(ModelTest, AddFileWithoutCheckTrustsTheCaller) {
  KWPlusProjekt p;
  model_.AddFile(p, "HTTP://X\\Y.JPG", false, 0.0, "cokolwiek");
  model_.AddFile(p, "C:\\B.JPG", false, 0.0, "");
  ASSERT_EQ(p.Files.size(), 2u);
  EXPECT_EQ(p.Files[0].Path, "http://x\\y.jpg");
  EXPECT_EQ(p.Files[0].Type, "cokolwiek");
  EXPECT_TRUE(p.Files[1].Exists);
  EXPECT_FALSE(p.Files[1].Skipped);
  EXPECT_EQ(p.Files[1].ByteSize, 0);
  EXPECT_EQ(p.Files[1].FileName, "b.jpg");
  EXPECT_EQ(p.Files[1].Folder, "c:\\");
  EXPECT_EQ(p.Files[1].Location, "c:\\b.jpg");
}

TEST_F(ModelTest, MonographFolderListsOnlyItsRvfFiles) {
  WriteBytes(machine_.C() / "Dane" / "Rodzina.kw", "<Osoby Liczba=\"1\">");
  const fs::path mono = machine_.C() / "Dane" / "Rodzina_monografie";
  MakeSparseFile(mono / "Rozdzial1.rvf", 300 * 1048576);
  WriteBytes(mono / "notatki.txt", "x");
  WriteBytes(mono / "stare.rvf" / "w_srodku.rvf", "x");
  model_.SetMaxFileSizeMB(1);
  model_.ReadDataFile(kDataFile);
  model_.AddMonographFiles();
  ASSERT_EQ(model_.Current.Files.size(), 2u);
  const KWPlusFile& m = model_.Current.Files[1];
  EXPECT_EQ(m.Path, "c:\\dane\\rodzina_monografie\\rozdzial1.rvf");
  EXPECT_EQ(m.Type, "MONOGRAFIA");
  EXPECT_TRUE(m.Exists);
  EXPECT_FALSE(m.Skipped);  // monograph files are never skipped for size

  fs::remove_all(mono);
  model_.Fs().InvalidateCache();
  model_.ReadDataFile(kDataFile);
  model_.AddMonographFiles();
  EXPECT_EQ(model_.Current.Files.size(), 1u);
}

}  // namespace
}  // namespace kw::test
