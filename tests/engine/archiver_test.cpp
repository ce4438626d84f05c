// The archiver's interface: defaults, the compression properties, opening, closing, Size,
// FileCount and the errors of calls made in the wrong state.
#include "archive_fixture.h"

namespace engine::testing {
namespace {

using ArchiverTest = ZipFixture;

TEST_F(ArchiverTest, ConstructorDefaults) {
  TZipArchiver z;
  EXPECT_EQ(z.CompressionLevel(), clFastest);
  EXPECT_EQ(z.CompressionMode(), 1);
  EXPECT_EQ(z.Zip64Mode, zmDisabled);
  EXPECT_EQ(z.EncryptionMethod, caPkzipClassic);
  EXPECT_FALSE(z.UnicodeFilenames);
  EXPECT_FALSE(z.ExtractCorruptedFiles);
  EXPECT_EQ(z.SpanningMode(), smNone);
  EXPECT_TRUE(z.Options.Recurse);
  EXPECT_EQ(z.Options.StorePath, spRelativePath);
  EXPECT_EQ(z.Options.ShareMode, smShareDenyNone);
  EXPECT_EQ(z.Options.OverwriteMode, omAlways);
  EXPECT_EQ(z.Options.SearchAttr, 10431);
  EXPECT_TRUE(z.Options.FlushBuffers);
  EXPECT_TRUE(z.Options.OEMFileNames);
  TZABaseArchiver base;
  EXPECT_EQ(base.Zip64Mode, zmAuto);
}

TEST_F(ArchiverTest, CompressionLevelAndModeFollowEachOther) {
  TZipArchiver z;
  z.SetCompressionLevel(clNormal);
  EXPECT_EQ(z.CompressionMode(), 6);
  z.SetCompressionMode(4);
  EXPECT_EQ(z.CompressionLevel(), clNormal);
  z.SetCompressionMode(0);
  EXPECT_EQ(z.CompressionLevel(), clNone);
  z.SetCompressionMode(9);
  EXPECT_EQ(z.CompressionLevel(), clMax);
  try {
    z.SetCompressionMode(10);
    FAIL();
  } catch (const EZAException& e) {
    EXPECT_EQ(e.NativeError, 5);
    EXPECT_STREQ(e.what(),
                 "Invalid compression mode. Mode must be in [0-9] range - Native error: 00005");
  }
  z.SetCurrentVersion("9.99");
  EXPECT_EQ(z.CurrentVersion(), "6.01 ");
}

TEST_F(ArchiverTest, EmptyArchiveIsTheEndRecordAlone) {
  auto z = NewArchive("empty.zip");
  z->CloseArchive();
  std::string bytes = Read("empty.zip");
  ASSERT_EQ(bytes.size(), 22u);
  EXPECT_EQ(bytes, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  auto r = OpenRead("empty.zip");
  EXPECT_EQ(r->FileCount(), 0);
}

TEST_F(ArchiverTest, WrongStateErrors) {
  TZipArchiver z("ZipArchiver1");
  auto native = [](auto&& call) {
    try {
      call();
    } catch (const EZAException& e) {
      return e.NativeError;
    }
    return -1;
  };
  EXPECT_EQ(native([&] { z.Size(); }), 13);
  EXPECT_EQ(native([&] { z.FileCount(); }), 13);
  EXPECT_EQ(native([&] { z.AddFiles("T:\\x"); }), 13);
  EXPECT_EQ(native([&] { z.ExtractFiles("x"); }), 13);
  EXPECT_EQ(native([&] { z.OpenArchive(); }), 9);
  EXPECT_EQ(native([&] { z.OpenArchive(0); }), 10);
  z.FileName = Win("missing.zip");
  try {
    z.OpenArchive(0);
    FAIL();
  } catch (const EZAException& e) {
    EXPECT_EQ(e.NativeError, 12);
    EXPECT_STREQ(e.what(),
                 "ZipArchiver1: File \"T:\\missing.zip\" not found - Native error: 00012");
  }
  auto made = NewArchive("a.zip");
  made->CloseArchive();
  z.FileName = Win("a.zip");
  z.OpenArchive(0);
  EXPECT_EQ(native([&] { z.BeginUpdate(); }), 32);
  z.OpenArchive(64);  // read-only as well
  EXPECT_EQ(native([&] { z.AddFiles("T:\\x"); }), 32);
  EXPECT_THROW(z.SetSpanningMode(smSplitting), std::runtime_error);
}

TEST_F(ArchiverTest, OpenWithoutModeCreatesOrOpensForWriting) {
  TZipArchiver z;
  z.FileName = Win("auto.zip");
  z.OpenArchive();
  EXPECT_EQ(z.FileMode(), 0xFFFF);
  z.CloseArchive();
  z.OpenArchive();
  EXPECT_EQ(z.FileMode(), 34);
  bool opened = false;
  z.AfterOpen = [&](TZABaseArchiver*) { opened = true; };
  z.OpenArchive();
  EXPECT_TRUE(opened);
}

TEST_F(ArchiverTest, FileCountLeavesOutFolders) {
  Write("src\\a.txt", "a");
  Write("src\\sub\\b.txt", "b");
  auto z = NewArchive("f.zip");
  z->Options.StorePath = spRelativePath;
  z->Options.Recurse = true;
  z->BaseDir = Win("src");
  z->AddFiles(Win("src\\*.*"), kFaAnyFile);
  ASSERT_EQ(z->Directory()->Current.Count(), 3);  // a.txt, sub/, sub/b.txt
  EXPECT_EQ(z->FileCount(), 2);
  EXPECT_TRUE(z->Options.Recurse);
}

}  // namespace
}  // namespace engine::testing
