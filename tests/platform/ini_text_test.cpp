// The INI text: parsing in each encoding, lookups with the profile functions' rules,
// changes that keep the other lines, and reading up to one section.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/code_page.h"
#include "platform/ini_text.h"

namespace platform {
namespace {

struct LookupCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

class IniLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsLikeTheProfileFunctions) {
  const LookupCase& c = GetParam();
  const IniDocument doc = IniDocument::Parse(c.text);
  const std::string* value = doc.Find(c.section, c.key);
  if (c.expected) {
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, *c.expected);
  } else {
    EXPECT_EQ(value, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniLookup,
    testing::Values(
        LookupCase{"Simple", "[Ogolne]\r\nNazwa=Kopia\r\n", "Ogolne", "Nazwa", "Kopia"},
        LookupCase{"LfOnly", "[Ogolne]\nNazwa=Kopia\n", "Ogolne", "Nazwa", "Kopia"},
        LookupCase{"StrayCarriageReturns", "[s]\r\r\nk=v\r\r\n", "s", "k", "v"},
        LookupCase{"NoFinalLineEnd", "[Ogolne]\r\nNazwa=Kopia", "Ogolne", "Nazwa", "Kopia"},
        LookupCase{"MixedCaseNames", "[oGOLNE]\r\nnAZWA=x\r\n", "OGOLNE", "Nazwa", "x"},
        // Bytes without a byte-order mark are cp1250: "[Zdjęcia]" and "Łąka".
        LookupCase{"PolishCaseFolding", "[Zdj\xEA" "cia]\r\n\xA3\xB9ka=1\r\n", "ZDJĘCIA", "łĄKA",
                   "1"},
        LookupCase{"ValueTrimmed", "[s]\r\nk = \t a b \t\r\n", "s", "k", "a b"},
        LookupCase{"NamesTrimmed", "  [ s ]  \r\n  k  =v\r\n", "s", "k", "v"},
        LookupCase{"EmptyValue", "[s]\r\nk=\r\n", "s", "k", ""},
        LookupCase{"ValueWithEquals", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        LookupCase{"DuplicateKeyFirstWins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
        LookupCase{"DuplicateSectionFirstWins", "[s]\r\nk=1\r\n[t]\r\n[S]\r\nk=2\r\nj=3\r\n",
                   "s", "k", "1"},
        LookupCase{"KeyOnlyInSecondDuplicate", "[s]\r\nk=1\r\n[S]\r\nj=3\r\n", "s", "j",
                   std::nullopt},
        LookupCase{"LineWithoutEquals", "[s]\r\nk\r\n", "s", "k", std::nullopt},
        LookupCase{"Comment", "[s]\r\n;k=1\r\n", "s", ";k", std::nullopt},
        LookupCase{"KeyBeforeAnySection", "k=1\r\n[s]\r\n", "s", "k", std::nullopt},
        LookupCase{"MissingSection", "[s]\r\nk=1\r\n", "t", "k", std::nullopt},
        LookupCase{"AnsiPolish", "[s]\r\nk=\xA3\xB9ka\r\n", "s", "k", "Łąka"},
        LookupCase{"Utf8Bom", "\xEF\xBB\xBF[s]\r\nk=Łąka\r\n", "s", "k", "Łąka"},
        LookupCase{"Utf16LeBom", "\xFF\xFE" + Utf8ToUtf16Le("[s]\r\nk=Łąka\r\n"), "s", "k",
                   "Łąka"},
        LookupCase{"Utf16BeBom", "\xFE\xFF" + Utf8ToUtf16Be("[s]\nk=Łąka\n"), "s", "k",
                   "Łąka"},
        LookupCase{"Empty", "", "s", "k", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

struct IntegerCase {
  const char* name;
  const char* text;
  std::optional<std::int32_t> expected;
};

class IniInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, Parses) {
  EXPECT_EQ(ParseIniInteger(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniInteger,
    testing::Values(IntegerCase{"Decimal", "300", 300}, IntegerCase{"Negative", "-1", -1},
                    IntegerCase{"Plus", "+5", 5}, IntegerCase{"Hex", "0x1F", 31},
                    IntegerCase{"HexUpper", "0XfF", 255}, IntegerCase{"Dollar", "$10", 16},
                    IntegerCase{"HexAllBits", "0xFFFFFFFF", -1},
                    IntegerCase{"Max", "2147483647", 2147483647},
                    IntegerCase{"Min", "-2147483648", -2147483647 - 1},
                    IntegerCase{"Overflow", "2147483648", std::nullopt},
                    IntegerCase{"HexOverflow", "0x100000000", std::nullopt},
                    IntegerCase{"Text", "abc", std::nullopt},
                    IntegerCase{"TrailingText", "12abc", std::nullopt},
                    IntegerCase{"HexPrefixOnly", "0x", std::nullopt},
                    IntegerCase{"DecimalWithHexDigit", "1a", std::nullopt},
                    IntegerCase{"Empty", "", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(IniText, WritingKeepsOtherLinesAndAppendsInPlace) {
  const std::string original =
      "; made by hand\r\n"
      "[Ogolne]\r\n"
      "LoadFromHDD = 1\r\n"
      "GrupowanieKolumna=10\r\n"
      "\r\n"
      "[Aktualizacja]\r\n"
      "Sprawdz=42417\r\n";
  IniDocument doc = IniDocument::Parse(original);
  doc.Write("OGOLNE", "grupowaniekolumna", "300");
  doc.Write("Ogolne", "Folder", "Dane");
  doc.Write("Nowa", "Klucz", "1");
  EXPECT_EQ(doc.Serialize(),
            "; made by hand\r\n"
            "[Ogolne]\r\n"
            "LoadFromHDD = 1\r\n"
            "GrupowanieKolumna=300\r\n"
            "Folder=Dane\r\n"
            "\r\n"
            "[Aktualizacja]\r\n"
            "Sprawdz=42417\r\n"
            "[Nowa]\r\n"
            "Klucz=1\r\n");
}

TEST(IniText, WritesGoToTheFirstDuplicate) {
  IniDocument doc = IniDocument::Parse("[s]\nk=1\nk=2\n[S]\nk=3\n");
  doc.Write("s", "K", "9");
  doc.Write("s", "new", "x");
  EXPECT_EQ(doc.Serialize(), "[s]\nk=9\nk=2\nnew=x\n[S]\nk=3\n");  // LF-only text stays LF
}

TEST(IniText, NewTextIsAnsiWithCrLfAndUnrepresentableCharactersBecomeQuestionMarks) {
  IniDocument doc;
  doc.Write("Ogolne", "Komentarz", "Zażółć 漢 gęślą");
  const std::string bytes = doc.Serialize();
  EXPECT_EQ(bytes, "[Ogolne]\r\nKomentarz=Za\xBF\xF3\xB3\xE6 ? g\xEA\x9Cl\xB9\r\n");
  EXPECT_EQ(*IniDocument::Parse(bytes).Find("ogolne", "komentarz"), "Zażółć ? gęślą");
}

TEST(IniText, BomFilesAreRewrittenInTheirEncoding) {
  for (const IniEncoding encoding : {IniEncoding::kUtf8Bom, IniEncoding::kUtf16LeBom}) {
    const std::string text = "[s]\r\nk=Łąka\r\n";
    const std::string bytes = encoding == IniEncoding::kUtf8Bom
                                  ? "\xEF\xBB\xBF" + text
                                  : "\xFF\xFE" + Utf8ToUtf16Le(text);
    IniDocument doc = IniDocument::Parse(bytes);
    EXPECT_EQ(doc.Encoding(), encoding);
    doc.Write("s", "j", "漢");
    const IniDocument again = IniDocument::Parse(doc.Serialize());
    EXPECT_EQ(again.Encoding(), encoding);
    EXPECT_EQ(*again.Find("s", "k"), "Łąka");
    EXPECT_EQ(*again.Find("s", "j"), "漢");  // Unicode files hold every character
  }
}

TEST(IniText, LineBreaksInAValueDoNotMakeNewLines) {
  IniDocument doc;
  doc.Write("s", "k", "a\r\n[x]\nb=c");
  const IniDocument again = IniDocument::Parse(doc.Serialize());
  EXPECT_EQ(*again.Find("s", "k"), "a  [x] b=c");
  EXPECT_FALSE(again.SectionExists("x"));
}

TEST(IniText, SectionsKeysAndDeletion) {
  IniDocument doc = IniDocument::Parse("[a]\nx=1\ny=2\nX=3\n[b]\nz=1\n[A]\nw=1\n");
  EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(doc.Keys("A"), (std::vector<std::string>{"x", "y"}));
  doc.DeleteKey("a", "x");
  EXPECT_EQ(doc.Find("a", "x"), nullptr);  // the duplicate went too
  EXPECT_EQ(*doc.Find("a", "y"), "2");
  doc.EraseSection("A");
  EXPECT_FALSE(doc.SectionExists("a"));
  EXPECT_EQ(doc.Serialize(), "[b]\nz=1\n");
}

TEST(IniText, ParseSectionStopsAfterTheSection) {
  const std::string text =
      "[Ogolne]\r\nNazwa=Kopia\r\n[Plik]\r\nPlik_1=c:\\a.kw\r\n[Pliki]\r\nLiczba=1\r\n";
  bool complete = false;
  const IniDocument doc = IniDocument::ParseSection(text, "ogolne", false, complete);
  EXPECT_TRUE(complete);
  EXPECT_EQ(*doc.Find("Ogolne", "Nazwa"), "Kopia");
  EXPECT_FALSE(doc.SectionExists("Plik"));
  EXPECT_FALSE(doc.SectionExists("Pliki"));
  IniDocument copy = doc;
  EXPECT_THROW(copy.Write("Ogolne", "Nazwa", "x"), std::logic_error);

  // Cut inside the section: more bytes are needed.
  const IniDocument part =
      IniDocument::ParseSection(text.substr(0, 15), "Ogolne", false, complete);
  EXPECT_FALSE(complete);
  EXPECT_EQ(part.Find("Ogolne", "Nazwa"), nullptr);
  // A missing section reads to the end.
  IniDocument::ParseSection(text, "Brak", true, complete);
  EXPECT_TRUE(complete);
}

}  // namespace
}  // namespace platform
