// Finding and extracting: masks, the fast path, the password loop, overwrite rules,
// verification, the names that must not leave the target folder, and declared sizes.
#include "archive_fixture.h"

namespace engine::testing {
namespace {

class ExtractTest : public ZipFixture {
 protected:
  // Archive with a.txt, sub/a.txt, a folder member sub/ and doc.
  void MakeTree(const std::string& password = {}) {
    Write("src\\a.txt", Text(4000, 1));
    Write("src\\sub\\a.txt", Text(5000, 2));
    Write("src\\doc", "doc");
    auto z = NewArchive("t.zip", password);
    z->Options.StorePath = spRelativePath;
    z->Options.Recurse = true;
    z->BaseDir = Win("src");
    z->AddFiles(Win("src\\*.*"));
    z->CloseArchive();
  }
  struct Failure {
    std::string name;
    int native;
  };
  std::vector<Failure> failures_;
  void Collect(TZipArchiver& z, TZAAction action = fxaIgnore) {
    z.OnProcessFileFailure = [this, action](TZABaseArchiver*, const std::string& name,
                                            TZAProcessOperation, int native, int,
                                            const std::string&, TZAAction& a) {
      failures_.push_back({name, native});
      a = action;
    };
  }
};

TEST_F(ExtractTest, MasksWithAndWithoutRecursion) {
  MakeTree();
  auto z = OpenRead("t.zip");
  auto found = [&](const std::string& mask) {
    std::vector<std::string> out;
    TZAArchiveItem item;
    for (bool f = z->FindFirst(mask, item); f; f = z->FindNext(item)) {
      out.push_back(item.StoredPath + item.FileName);
    }
    return out;
  };
  EXPECT_EQ(found("*.txt"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(found("SUB/A.TXT"), std::vector<std::string>{"sub\\a.txt"});
  z->Options.Recurse = true;
  EXPECT_EQ(found("*.txt"), (std::vector<std::string>{"a.txt", "sub\\a.txt"}));
  EXPECT_EQ(found("doc."), std::vector<std::string>{"doc"});
  TZAArchiveItem item;
  ASSERT_TRUE(z->FindFirst("a.txt", item));
  EXPECT_EQ(item.UncompressedSize, 4000);
  EXPECT_GT(item.CompressionRate, 50.0);
  EXPECT_EQ(item.ExternalAttributes & kFaDirectory, 0u);
}

TEST_F(ExtractTest, FastPathIsCaseInsensitiveAndRestoresData) {
  MakeTree();
  auto z = OpenRead("t.zip");
  z->BaseDir = Win("out");
  z->ExtractFiles("SUB\\A.TXT");
  EXPECT_EQ(Read("out\\sub\\a.txt"), Text(5000, 2));
  EXPECT_FALSE(Exists("out\\a.txt"));
  z->Options.Recurse = true;
  z->BaseDir = Win("all");
  z->ExtractFiles("*.*");
  EXPECT_EQ(Read("all\\a.txt"), Text(4000, 1));
  EXPECT_EQ(Read("all\\doc"), "doc");
  EXPECT_TRUE(std::filesystem::is_directory(Host("all\\sub")));
}

TEST_F(ExtractTest, PasswordLoopAsksThenSkipsSilently) {
  MakeTree("tajne");
  auto z = OpenRead("t.zip");
  Collect(*z);
  z->BaseDir = Win("out");
  std::vector<std::string> asked;
  z->OnPassword = [&](TZABaseArchiver*, const std::string& name, std::string& pw, bool& skip) {
    asked.push_back(name);
    if (asked.size() == 1) {
      pw = "zle";
    } else if (asked.size() == 2) {
      pw = "tajne";
    } else {
      skip = true;
    }
  };
  z->ExtractFiles("sub\\a.txt");
  EXPECT_EQ(asked, (std::vector<std::string>{"sub/a.txt", "sub/a.txt"}));
  EXPECT_EQ(Read("out\\sub\\a.txt"), Text(5000, 2));
  z->ExtractFiles("a.txt");  // the supplied password stays in force
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(Read("out\\a.txt"), Text(4000, 1));
  z->SetPassword("wrong");
  z->ExtractFiles("doc");
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_FALSE(Exists("out\\doc"));
  EXPECT_TRUE(failures_.empty());
}

TEST_F(ExtractTest, WrongPasswordWithoutHandlerOrPromptSkips) {
  MakeTree("tajne");
  auto z = OpenRead("t.zip");
  z->BaseDir = Win("out");
  z->ExtractFiles("doc");
  EXPECT_FALSE(Exists("out\\doc"));
}

TEST_F(ExtractTest, OverwriteRulesAndHandlerPath) {
  MakeTree();
  Write("out\\doc", "mine");
  auto z = OpenRead("t.zip");
  z->BaseDir = Win("out");
  z->Options.OverwriteMode = omNever;
  z->ExtractFiles("doc");
  EXPECT_EQ(Read("out\\doc"), "mine");
  z->Options.OverwriteMode = omAlways;
  z->ExtractFiles("doc");
  EXPECT_EQ(Read("out\\doc"), "doc");
  // A path set by the handler is trusted, BaseDir is not used.
  z->OnExtractFile = [](TZABaseArchiver*, std::string& name, std::uint32_t&, const std::string&) {
    name = "T:\\elsewhere\\y.jpg";
  };
  z->ExtractFiles("doc");
  EXPECT_EQ(Read("elsewhere\\y.jpg"), "doc");
}

TEST_F(ExtractTest, CorruptDataFailsWithCodeEightAndLeavesNoFile) {
  Write("a.txt", Text(20000));
  auto w = NewArchive("c.zip");
  w->SetCompressionMode(0);
  w->AddFiles(Win("a.txt"));
  w->CloseArchive();
  std::string b = Read("c.zip");
  b[30 + 5 + 100] ^= 0x55;  // a byte of the stored data
  Write("c.zip", b);
  auto z = OpenRead("c.zip");
  Collect(*z);
  z->BaseDir = Win("out");
  z->ExtractFiles("a.txt");
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0].native, 8);
  EXPECT_FALSE(Exists("out\\a.txt"));
  failures_.clear();
  z->ExtractCorruptedFiles = true;
  z->ExtractFiles("a.txt");
  EXPECT_TRUE(failures_.empty());
  EXPECT_EQ(Read("out\\a.txt").size(), 20000u);
}

TEST_F(ExtractTest, AesAuthenticationCodeGuardsTheData) {
  Write("a.txt", Text(20000));
  auto w = NewArchive("c.zip", "pw");
  w->AddFiles(Win("a.txt"));
  w->CloseArchive();
  auto r = OpenRead("c.zip");
  const std::uint64_t packed = r->Directory()->Current.Item(0).CompressedSize64;
  r.reset();
  std::string b = Read("c.zip");
  b[30 + 5 + 11 + packed - 3] ^= 1;  // inside the stored code
  Write("c.zip", b);
  auto z = OpenRead("c.zip");
  z->SetPassword("pw");
  Collect(*z);
  EXPECT_EQ(z->TestFiles(), 0);
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0].native, 8);
}

// Member names that would put a file outside the target folder.
TEST_F(ExtractTest, NamesFromTheArchiveNeverLeaveTheTargetFolder) {
  Write("x", "payload");
  const char* evil[] = {"../escape.txt", "sub/../../escape2.txt", "/abs.txt",
                        "C:/drive.txt",  "\\\\server\\share\\u.txt", "ok/fine.txt"};
  auto w = NewArchive("evil.zip");
  w->OnStoreFile = [&](TZABaseArchiver*, std::string& name, int&, std::string&, const std::string&) {
    static int n = 0;
    name = evil[n++];
    std::replace(name.begin(), name.end(), '/', '\\');
  };
  for (int i = 0; i < 6; ++i) {
    w->Options.OverwriteMode = omAlways;
    Write("x" + std::to_string(i), "payload");
    w->AddFiles(Win("x" + std::to_string(i)));
  }
  w->CloseArchive();
  // Names as another tool would write them (the engine's own queue would reduce them).
  auto z = OpenRead("evil.zip");
  std::vector<std::string> stored;
  for (int i = 0; i < z->Directory()->Current.Count(); ++i) stored.push_back(z->Directory()->Current.Item(i).Name);
  Collect(*z);
  z->Options.Recurse = true;
  z->BaseDir = Win("target\\in");
  z->ExtractFiles("*.*");
  EXPECT_FALSE(Exists("target\\escape.txt"));
  EXPECT_FALSE(Exists("escape2.txt"));
  EXPECT_FALSE(Exists("target\\escape2.txt"));
  EXPECT_TRUE(Exists("target\\in\\ok\\fine.txt"));
  int refused = 0;
  for (const auto& f : failures_) refused += f.native == 19;
  EXPECT_EQ(refused, static_cast<int>(stored.size()) - 1) << ::testing::PrintToString(stored);
}

// A member whose data inflates to more than its declared size fails and leaves no file.
TEST_F(ExtractTest, DeclaredSizeIsALimit) {
  Write("a.txt", std::string(100000, 'a'));
  auto w = NewArchive("bomb.zip");
  w->AddFiles(Win("a.txt"));
  w->CloseArchive();
  std::string b = Read("bomb.zip");
  const std::size_t central = U32(b, b.size() - 22 + 16);
  b[central + 24] = 10;  // declared uncompressed size: 10 bytes
  b[central + 25] = b[central + 26] = b[central + 27] = 0;
  Write("bomb.zip", b);
  auto z = OpenRead("bomb.zip");
  Collect(*z);
  z->ExtractCorruptedFiles = true;
  z->BaseDir = Win("out");
  z->ExtractFiles("a.txt");
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0].native, 8);
  EXPECT_FALSE(Exists("out\\a.txt"));
}

TEST_F(ExtractTest, ExtractInsideAnUpdateIsRefused) {
  MakeTree();
  TZipArchiver z;
  z.FileName = Win("t.zip");
  z.OpenArchive();
  z.BeginUpdate();
  try {
    z.ExtractFiles("doc");
    FAIL();
  } catch (const EZAException& e) {
    EXPECT_EQ(e.NativeError, 26);
  }
  z.CancelUpdate();
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

TEST_F(ExtractTest, EventOrderOfOneMember) {
  MakeTree("pw");
  auto z = OpenRead("t.zip");
  z->BaseDir = Win("out");
  std::vector<std::string> log;
  z->OnOverallProgress = [&](TZABaseArchiver*, double, TZAProcessOperation op, TZAProgressPhase ph,
                             bool&) {
    EXPECT_EQ(op, poExtract);
    if (ph != ppProcess) log.push_back("overall" + std::to_string(ph));
  };
  z->OnConfirmProcessFile = [&](TZABaseArchiver*, const std::string& name, TZAProcessOperation,
                                bool&) { log.push_back("confirm " + name); };
  z->OnFileProgress = [&](TZABaseArchiver*, const std::string& name, double, TZAProcessOperation,
                          TZAProgressPhase ph, bool&) {
    if (ph != ppProcess) log.push_back("file" + std::to_string(ph) + " " + name);
  };
  z->OnExtractFile = [&](TZABaseArchiver*, std::string& name, std::uint32_t&, const std::string&) {
    log.push_back("extract " + name);
  };
  z->OnPassword = [&](TZABaseArchiver*, const std::string& name, std::string& pw, bool&) {
    log.push_back("password " + name);
    pw = "pw";
  };
  z->ExtractFiles("sub\\a.txt");
  EXPECT_EQ(log, (std::vector<std::string>{"overall0", "confirm sub\\a.txt", "file0 sub\\a.txt",
                                           "extract sub\\a.txt", "password sub/a.txt",
                                           "file2 sub\\a.txt", "overall2"}));
}

}  // namespace
}  // namespace engine::testing
