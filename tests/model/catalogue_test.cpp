// The catalogue: loading from descriptors, sorting, group keys, rows, deleting, names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "model/text_compare.h"
#include "model_fixture.h"
#include "platform/date_time.h"
#include "platform/format.h"

namespace kw::test {
namespace {

// The catalogue's texts are the Polish locale's (no-break space, comma, "mar").
class Catalogue : public ModelTest {
 protected:
  Catalogue() { platform::SetUserFormatSettings(platform::PolishFormatSettings()); }
  ~Catalogue() override { platform::SetUserFormatSettings(platform::HostFormatSettings()); }

  KWPlusProjekt& Add(std::string nazwa, double created = 0, std::int32_t osoby = 0) {
    KWPlusProjekt p;
    p.Nazwa = std::move(nazwa);
    p.Created = created;
    p.LiczbaOsob = osoby;
    model_.Projects.push_back(p);
    return model_.Projects.back();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const KWPlusProjekt& p : model_.Projects) names.push_back(p.Nazwa);
    return names;
  }
};

TEST_F(Catalogue, NamesSortOrdinallyAndDescendingIsTheExactReverse) {
  for (const char* n : {"album", "Zbiór", "Łąka", "Akta"}) Add(n);
  model_.SortCatalogue(0, false);
  EXPECT_TRUE(model_.SortAscending);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Akta", "Zbiór", "album", "Łąka"}));
  model_.SortCatalogue(0, false);
  EXPECT_FALSE(model_.SortAscending);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Łąka", "album", "Zbiór", "Akta"}));
}

TEST_F(Catalogue, SortStateFollowsTheClicks) {
  Add("a", 3, 10);
  Add("b", 1, 30);
  Add("c", 2, 20);
  model_.SortCatalogue(2, false);  // "Osoby" first: ascending
  EXPECT_EQ(model_.SortColumn, 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c", "b"}));
  model_.SortCatalogue(2, false);  // again: descending
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c", "a"}));
  model_.SortCatalogue(0, false);  // another column: ascending
  EXPECT_TRUE(model_.SortAscending);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
  model_.SortCatalogue(5, true);  // reset: creation time, newest first
  EXPECT_EQ(model_.SortColumn, 1);
  EXPECT_FALSE(model_.SortAscending);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c", "b"}));
}

TEST_F(Catalogue, EqualKeysDescendInTheReverseOfTheirAscendingOrder) {
  for (int i = 0; i < 40; ++i) Add("n" + std::to_string(i % 7), 46000.5 + (i % 3)).Komentarz = std::to_string(i);
  const std::vector<KWPlusProjekt> start = model_.Projects;
  for (std::int32_t column : {0, 1}) {
    SCOPED_TRACE(column);
    model_.Projects = start;
    model_.SortColumn = column;
    model_.SortAscending = false;
    model_.SortCatalogue(column, false);  // the same column again: ascending
    std::vector<std::string> ascending;
    for (const KWPlusProjekt& p : model_.Projects) ascending.push_back(p.Komentarz);
    model_.Projects = start;
    model_.SortAscending = true;
    model_.SortCatalogue(column, false);  // descending from the same start
    std::vector<std::string> descending;
    for (const KWPlusProjekt& p : model_.Projects) descending.push_back(p.Komentarz);
    std::reverse(ascending.begin(), ascending.end());
    EXPECT_EQ(descending, ascending);
  }
}

TEST_F(Catalogue, GroupKeys) {
  KWPlusProjekt p;
  p.Nazwa = "Kopia";
  p.Plik = "C:\\Dane\\Rodzina.kw";
  p.Created = *platform::EncodeDate(2026, 3, 9) + *platform::EncodeTime(7, 5, 0, 0);
  struct Row {
    std::int32_t mode;
    const char* sortable;
    const char* shown;
  };
  for (const Row& r : {Row{10, "Kopia", "Kopia"}, Row{20, "C:\\Dane\\Rodzina.kw", "C:\\Dane\\Rodzina.kw"},
                       Row{300, "2026-03-09#2026-mar-09", "2026-mar-09"},
                       Row{301, "2026-03#2026-mar", "2026-mar"}, Row{302, "2026#2026", "2026"},
                       Row{-1, "+", "+"}, Row{7, "+", "+"}}) {
    EXPECT_EQ(KWPlus::GroupKey(p, r.mode, true), r.sortable) << r.mode;
    EXPECT_EQ(KWPlus::GroupKey(p, r.mode, false), r.shown) << r.mode;
  }
  p.Created = *platform::EncodeDate(2025, 10, 1);
  EXPECT_EQ(KWPlus::GroupKey(p, 301, false), "2025-paź");
  p.Created = 0;
  EXPECT_EQ(KWPlus::GroupKey(p, 302, false), "1899");
}

TEST_F(Catalogue, MegabytesAndListRows) {
  EXPECT_EQ(KWPlus::FormatMegabytes(1263411), "1\u00A0233,80");
  EXPECT_EQ(KWPlus::FormatMegabytes(0), "0,00");
  EXPECT_EQ(KWPlus::FormatMegabytes(1536), "1,50");

  KWPlusProjekt& p = Add("Kopia", *platform::EncodeDate(2026, 12, 9) + *platform::EncodeTime(17, 5, 0, 0), 1532);
  p.LiczbaZw = 498;
  p.Size = 1263411;
  p.SizeKWFile = 2048;
  p.FileCount = 12;
  p.Komentarz = "przed świętami";
  p.Plik = "C:\\Dane\\Rodzina.kw";
  CatalogueRow row;
  row.Caption = "x";
  model_.FillListItem(3, 0, row);
  EXPECT_EQ(row.Caption, "");
  EXPECT_EQ(row.SubItems, (std::vector<std::string>{"3", "Kopia", "09-12-2026 17:05", "1532", "498",
                                                    "1\u00A0233,80", "2,00", "12", "przed świętami",
                                                    "C:\\Dane\\Rodzina.kw"}));
  EXPECT_EQ(row.Data, &model_.Item(0));
  EXPECT_THROW(model_.Item(1), std::out_of_range);
  EXPECT_THROW(model_.Item(-1), std::out_of_range);
}

TEST_F(Catalogue, RebuildFromDescriptorsNewestFirst) {
  EXPECT_EQ(model_.Count(), 0);
  const fs::path folder = machine_.E() / "Kopie" / "ArchiwumKW";
  WriteBytes(folder / "{1}.kwbackup", "[Ogolne]\r\nNazwa=stara\r\nData=01-02-2020\r\nGodzina=10:00\r\n");
  WriteBytes(folder / "{2}.kwbackup", "[Ogolne]\r\nNazwa=nowa\r\nData=01-02-2024\r\nGodzina=10:00\r\n");
  WriteBytes(folder / "{3}.kwbackup", "zepsuty\x01\x02");
  model_.Fs().InvalidateCache();
  model_.ClearCatalogue();
  std::vector<std::string> names;
  model_.ListFiles(model_.ArchiveFolder(), names, model_.DescriptorExt());
  for (const std::string& n : names) model_.LoadCatalogueEntry(model_.ArchiveFolder() + n);
  model_.SortCatalogue(1, true);
  ASSERT_EQ(model_.Count(), 3);
  EXPECT_EQ(model_.Item(0).Nazwa, "nowa");
  EXPECT_EQ(model_.Item(1).Nazwa, "stara");
  EXPECT_EQ(model_.Item(2).Nazwa, "");  // unreadable: an entry of defaults
  EXPECT_EQ(model_.Item(2).DescriptorPath, "E:\\Kopie\\ArchiwumKW\\{3}.kwbackup");
}

class DeleteArchive : public Catalogue {
 protected:
  fs::path Folder() const { return machine_.E() / "Kopie" / "ArchiwumKW"; }
  KWPlusProjekt Entry(const std::string& descriptorName) {
    KWPlusProjekt p;
    p.ID = "{ID}";
    p.DescriptorPath = model_.ArchiveFolder() + descriptorName;
    return p;
  }
};

TEST_F(DeleteArchive, ArchiveThenDescriptor) {
  WriteBytes(Folder() / "{A}.kwbackup", "[Ogolne]\r\n");
  WriteBytes(Folder() / "files" / "{A}.zip", "PK");
  model_.Fs().InvalidateCache();
  EXPECT_TRUE(model_.DeleteArchive(Entry("{A}.kwbackup")));
  EXPECT_FALSE(fs::exists(Folder() / "{A}.kwbackup"));
  EXPECT_FALSE(fs::exists(Folder() / "files" / "{A}.zip"));
  // A missing archive does not stop the descriptor from going.
  WriteBytes(Folder() / "{B}.kwbackup", "[Ogolne]\r\n");
  model_.Fs().InvalidateCache();
  EXPECT_TRUE(model_.DeleteArchive(Entry("{B}.kwbackup")));
  EXPECT_FALSE(fs::exists(Folder() / "{B}.kwbackup"));
}

TEST_F(DeleteArchive, DescriptorRenamedByHandFindsTheArchiveByItsName) {
  WriteBytes(Folder() / "moja kopia.kwbackup", "[Ogolne]\r\nID={ID}\r\n");
  WriteBytes(Folder() / "files" / "moja kopia.zip", "PK");
  WriteBytes(Folder() / "files" / "{ID}.zip", "PK");
  model_.Fs().InvalidateCache();
  EXPECT_TRUE(model_.DeleteArchive(Entry("moja kopia.kwbackup")));
  EXPECT_FALSE(fs::exists(Folder() / "files" / "moja kopia.zip"));
  EXPECT_TRUE(fs::exists(Folder() / "files" / "{ID}.zip"));
}

// An archive that cannot be deleted keeps both files. Root ignores folder permissions, so
// then the archive is made undeletable with the immutable attribute when the host allows
// it, else the test is skipped.
TEST_F(DeleteArchive, LockedArchiveKeepsBothFiles) {
  WriteBytes(Folder() / "{L}.kwbackup", "[Ogolne]\r\n");
  const fs::path archive = Folder() / "files" / "{L}.zip";
  WriteBytes(archive, "PK");
  model_.Fs().InvalidateCache();
  bool locked = false;
  bool immutable = false;
  if (::geteuid() != 0) {
    fs::permissions(Folder() / "files", fs::perms::owner_write | fs::perms::group_write |
                                            fs::perms::others_write,
                    fs::perm_options::remove);
    locked = true;
  } else {
    const std::string cmd = "chattr +i '" + archive.string() + "' 2>/dev/null";
    immutable = locked = std::system(cmd.c_str()) == 0;
  }
  if (!locked) GTEST_SKIP() << "running as root on a file system without chattr +i";
  EXPECT_FALSE(model_.DeleteArchive(Entry("{L}.kwbackup")));
  EXPECT_TRUE(fs::exists(archive));
  EXPECT_TRUE(fs::exists(Folder() / "{L}.kwbackup"));
  if (immutable) {
    const std::string cmd = "chattr -i '" + archive.string() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  fs::permissions(Folder() / "files", fs::perms::owner_all, fs::perm_options::add);
}

TEST_F(Catalogue, ArchiveNamesForDropsCaseDuplicatesAndGivesTheLastMatch) {
  Add("Kopia").Plik = "C:\\Dane\\Rodzina.kw";
  Add("kopia").Plik = "C:\\Dane\\Inna.kw";
  Add("Kopia").Plik = "C:\\Dane\\Rodzina.kw";
  Add("Ósma").Plik = "C:\\Dane\\Rodzina.kw";
  Add("Zima").Plik = "c:\\dane\\rodzina.kw";
  std::vector<std::string> list{"stale"};
  EXPECT_EQ(model_.ArchiveNamesFor(list, "C:\\Dane\\Rodzina.kw"), "Ósma");
  EXPECT_EQ(list, (std::vector<std::string>{"Kopia", "Ósma", "Zima"}));
  EXPECT_EQ(model_.ArchiveNamesFor(list, "C:\\Dane\\Brak.kw"), "");
}

TEST(TextCompare, OrdinalAndLocale) {
  EXPECT_LT(CompareOrdinal("Zbiór", "album"), 0);
  EXPECT_LT(CompareOrdinal("album", "Łąka"), 0);
  EXPECT_LT(CompareOrdinal("ab", "abc"), 0);
  EXPECT_EQ(CompareOrdinal("Łąka", "Łąka"), 0);
  // U+FFFD against an astral character: UTF-16 puts the surrogate (D83D) first.
  EXPECT_GT(CompareOrdinal("\xEF\xBF\xBD", "\xF0\x9F\x98\x80"), 0);

  EXPECT_EQ(CompareTextLocale("Kopia", "kOPIA"), 0);
  EXPECT_EQ(CompareTextLocale("ŁĄKA", "łąka"), 0);
  EXPECT_LT(CompareTextLocale("album", "Łąka"), 0);
  EXPECT_LT(CompareTextLocale("Łąka", "Mak"), 0);
  EXPECT_LT(CompareTextLocale("Lato", "łąka"), 0);
  EXPECT_LT(CompareTextLocale("Zima", "Żaba"), 0);
  EXPECT_LT(CompareTextLocale("Źródło", "Żaba"), 0);
  EXPECT_NE(CompareTextLocale("e", "é"), 0);
  EXPECT_LT(CompareTextLocale("2020", "Akta"), 0);
  EXPECT_LT(CompareTextLocale("", "a"), 0);
}

}  // namespace
}  // namespace kw::test
