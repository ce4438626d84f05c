// The member directory, its name index, the mask rules and the name encodings.
#include <gtest/gtest.h>

#include "engine/za_directory.h"
#include "engine/za_exception.h"
#include "engine/zip_names.h"

namespace engine {
namespace {

TDirItem Named(const std::string& n) {
  TDirItem item;
  item.Name = n;
  return item;
}

int NativeOf(auto&& call) {
  try {
    call();
  } catch (const EZAException& e) {
    return e.NativeError;
  }
  return -1;
}

TEST(TZADirArray, CaseInsensitiveIndexSurvivesDeleteAndGrowth) {
  TZADirArray d;
  d.Append(Named("abc.txt"));
  d.Append(Named("Zdjęcie.JPG"));
  EXPECT_EQ(d.Find("ABC.TXT"), 0);
  EXPECT_EQ(d.Find("ZDJĘCIE.jpg"), 1);
  d.Delete(0);
  EXPECT_EQ(d.Find("zdjęcie.jpg"), 0);
  EXPECT_EQ(d.Find("abc.txt"), -1);
  for (int i = 0; i < 6000; ++i) d.Append(Named("F" + std::to_string(i)));
  for (int i = 0; i < 6000; i += 997) EXPECT_EQ(d.Find("f" + std::to_string(i)), i + 1);
}

TEST(TZADirArray, ErrorCodesAndDeepCopy) {
  TZADirArray d;
  d.Append(Named("a"));
  d.Append(Named("b"));
  EXPECT_EQ(NativeOf([&] { d.SetItem(5, Named("x")); }), 1);
  EXPECT_EQ(NativeOf([&] { d.GetItem(2); }), 2);
  EXPECT_EQ(NativeOf([&] { d.Item(-1); }), 3);
  EXPECT_EQ(NativeOf([&] { d.Delete(2); }), 4);
  EXPECT_EQ(NativeOf([&] { d.SetName(0, "B"); }), 59);
  TZADirArray copy;
  copy.Assign(d);
  d.SetName(0, "c");
  EXPECT_EQ(copy.Find("a"), 0);
  EXPECT_EQ(d.Find("c"), 0);
  EXPECT_EQ(d.Find("a"), -1);
}

TEST(MaskMatches, Table) {
  struct Row {
    const char* name;
    const char* mask;
    bool match;
  } rows[] = {
      {"a.txt", "*.txt", true},       {"a.TXT", "*.txt", true},   {"a.txt", "*.*", true},
      {"doc", "doc.", true},          {"doc.txt", "doc.", false}, {"doc", "*.", true},
      {"a.txt", "?.txt", true},       {"ab.txt", "?.txt", false}, {"a", "a?", false},
      {"abc", "", false},             {"ąść.jpg", "ĄŚĆ.*", true}, {"a.b.c", "*.c", true},
      {"aaa", "*a*a*a*", true},       {"aab", "*a*a*a*", false},  {"x.", "x", true},
  };
  for (const Row& r : rows) EXPECT_EQ(MaskMatches(r.name, r.mask), r.match) << r.name << " " << r.mask;
}

TEST(Names, AnsiNamesGoOemOthersUtf8) {
  EncodedName ascii = EncodeName("ABCDEF0123.jpg", true);
  EXPECT_EQ(ascii.bytes, "ABCDEF0123.jpg");
  EXPECT_FALSE(ascii.utf8);
  EncodedName polish = EncodeName("żółw.txt", true);  // cp1250 holds it: written in cp852
  EXPECT_FALSE(polish.utf8);
  EXPECT_EQ(polish.bytes, std::string("\xBE\xA2\x88w.txt"));
  EXPECT_EQ(DecodeName(polish.bytes, 0, true), "żółw.txt");
  EncodedName greek = EncodeName("αβγ.txt", true);  // not in cp1250: UTF-8 with bit 11
  EXPECT_TRUE(greek.utf8);
  EXPECT_EQ(greek.bytes, "αβγ.txt");
  EXPECT_EQ(DecodeName(greek.bytes, 0x0800, true), "αβγ.txt");
  EXPECT_EQ(EncodeName(std::string(300, 'x') + "α", true).bytes.size(), 254u);
}

}  // namespace
}  // namespace engine
