// Damaged and unusual archives: the end-record search, comments, the rebuild from local
// headers, and the errors of archives that cannot be read.
#include "archive_fixture.h"

namespace engine::testing {
namespace {

using DamagedTest = ZipFixture;

int OpenError(ZipFixture& f, const std::string& rel) {
  TZipArchiver z;
  z.FileName = ZipFixture::Win(rel);
  try {
    z.OpenArchive(0);
  } catch (const EZAException& e) {
    return e.NativeError;
  }
  (void)f;
  return -1;
}

class DamagedWithArchive : public ZipFixture {
 protected:
  void SetUp() override {
    ZipFixture::SetUp();
    Write("a.txt", Text(3000, 1));
    Write("b.txt", Text(4000, 2));
    auto z = NewArchive("ok.zip");
    z->AddFiles(Win("a.txt"));
    z->AddFiles(Win("b.txt"));
    z->CloseArchive();
    good_ = Read("ok.zip");
  }
  std::string good_;
};

TEST_F(DamagedWithArchive, TruncatedEndRecordIsRebuilt) {
  Write("cut.zip", good_.substr(0, good_.size() - 10));
  auto z = OpenRead("cut.zip");
  ASSERT_EQ(z->Directory()->Current.Count(), 2);
  EXPECT_EQ(z->Directory()->Current.Item(0).Header.externalAttributes, 32u);
  EXPECT_EQ(z->Directory()->Current.Item(1).Name, "b.txt");
  EXPECT_EQ(z->TestFiles(), 2);
  z->BaseDir = Win("out");
  z->ExtractFiles("b.txt");
  EXPECT_EQ(Read("out\\b.txt"), Text(4000, 2));
}

TEST_F(DamagedWithArchive, CommentIsFoundAndKeptAcrossUpdates) {
  const std::string comment(40, 'K');
  std::string b = good_;
  b[b.size() - 2] = 40;
  Write("c.zip", b + comment);
  TZipArchiver z;
  z.FileName = Win("c.zip");
  z.OpenArchive();
  EXPECT_EQ(z.ArchiveComment(), comment);
  Write("c.txt", "third");
  z.Options.StorePath = spNoPath;
  z.AddFiles(Win("c.txt"));
  z.CloseArchive();
  const std::string after = Read("c.zip");
  EXPECT_EQ(after.substr(after.size() - 40), comment);
  EXPECT_EQ(OpenRead("c.zip")->FileCount(), 3);
}

TEST_F(DamagedTest, NotAnArchive) {
  Write("text.zip", Text(100000));
  EXPECT_EQ(OpenError(*this, "text.zip"), 35);
  Write("empty.zip", "");
  EXPECT_EQ(OpenError(*this, "empty.zip"), 35);
}

TEST_F(DamagedWithArchive, Zip64LocatorWithoutItsRecord) {
  std::string b = good_;
  const std::string end = b.substr(b.size() - 22);
  std::string locator("PK\x06\x07", 4);
  locator += std::string(4, '\0');
  locator += std::string("\x10\x00\x00\x00\x00\x00\x00\x00", 8);  // offset 16: not a record
  locator += std::string("\x01\x00\x00\x00", 4);
  Write("z64.zip", b.substr(0, b.size() - 22) + locator + end);
  EXPECT_EQ(OpenError(*this, "z64.zip"), 40);
}

TEST_F(DamagedWithArchive, GarbageInFrontIsAStub) {
  Write("stub.zip", std::string(1000, 'S') + good_);
  auto z = OpenRead("stub.zip");
  EXPECT_EQ(z->Directory()->StubSize, 1000u);
  EXPECT_EQ(z->TestFiles(), 2);
}

TEST_F(DamagedWithArchive, DirectoryCountBeyondItsSizeIsRebuilt) {
  std::string b = good_;
  b[b.size() - 12] = static_cast<char>(0xFF);  // total entries: 0x??FF
  b[b.size() - 14] = static_cast<char>(0xFF);
  Write("count.zip", b);
  auto z = OpenRead("count.zip");
  EXPECT_EQ(z->Directory()->Current.Count(), 2);
}

}  // namespace
}  // namespace engine::testing
