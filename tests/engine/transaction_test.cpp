// Update transactions: one AddFiles per file, failure actions, cancel, replacement.
#include <span>

#include "archive_fixture.h"
#include "platform/win_error.h"

namespace engine::testing {
namespace {

using TransactionTest = ZipFixture;

std::vector<std::string> Names(TZipArchiver& z) {
  std::vector<std::string> out;
  const auto& cur = z.Directory()->Current;
  for (int i = 0; i < cur.Count(); ++i) out.push_back(cur.Item(i).Name);
  return out;
}

TEST_F(TransactionTest, EachAddFilesLeavesAValidArchive) {
  for (int i = 0; i < 3; ++i) Write("f" + std::to_string(i), Text(20000 + i, i));
  auto z = NewArchive("t.zip", "pw");
  std::int64_t last = 0;
  for (int i = 0; i < 3; ++i) {
    z->AddFiles(Win("f" + std::to_string(i)));
    EXPECT_GT(z->Size(), last);
    last = z->Size();
    // A second archiver opens what the first has written so far.
    auto r = OpenRead("t.zip");
    EXPECT_EQ(r->FileCount(), i + 1);
    r->SetPassword("pw");
    EXPECT_EQ(r->TestFiles(), i + 1);
  }
}

TEST_F(TransactionTest, AbortOnSecondLeavesTheFirstCommitByteForByte) {
  Write("a", Text(10000));
  Write("c", Text(10000, 3));
  auto z = NewArchive("t.zip");
  z->AddFiles(Win("a"));
  const std::string afterFirst = Read("t.zip");
  int failures = 0;
  z->OnProcessFileFailure = [&](TZABaseArchiver*, const std::string& name, TZAProcessOperation op,
                                int native, int code, const std::string&, TZAAction& action) {
    ++failures;
    EXPECT_EQ(name, "T:\\b");
    EXPECT_EQ(op, poAdd);
    EXPECT_EQ(native, 33);
    EXPECT_EQ(code, 12);
    EXPECT_EQ(action, fxaIgnore);
    action = fxaAbort;
  };
  // The file is found, then disappears before the commit opens it.
  Write("b", "soon gone");
  z->OnStoreFile = [&](TZABaseArchiver*, std::string&, int&, std::string&, const std::string& src) {
    if (src == "T:\\b") std::filesystem::remove(Host("b"));
  };
  EXPECT_NO_THROW(z->AddFiles(Win("b")));
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(Read("t.zip"), afterFirst);
  EXPECT_EQ(Names(*z), std::vector<std::string>{"a"});
  z->AddFiles(Win("c"));
  EXPECT_EQ(Names(*z), (std::vector<std::string>{"a", "c"}));
}

TEST_F(TransactionTest, IgnoreDropsTheMemberAndKeepsTheArchiveValid) {
  Write("a", "first");
  auto z = NewArchive("t.zip");
  z->AddFiles(Win("a"));
  Write("gone", "x");
  z->OnStoreFile = [&](TZABaseArchiver*, std::string&, int&, std::string&, const std::string&) {
    std::filesystem::remove(Host("gone"));
  };
  z->OnProcessFileFailure = [](TZABaseArchiver*, const std::string&, TZAProcessOperation, int,
                               int, const std::string&, TZAAction&) {};  // stays fxaIgnore
  z->AddFiles(Win("gone"));
  EXPECT_EQ(Names(*z), std::vector<std::string>{"a"});
  z->CloseArchive();
  auto r = OpenRead("t.zip");
  EXPECT_EQ(r->FileCount(), 1);
  EXPECT_EQ(r->TestFiles(), 1);
}

TEST_F(TransactionTest, NoFailureHandlerAndNoPromptAborts) {
  Write("a", "first");
  auto z = NewArchive("t.zip");
  z->AddFiles(Win("a"));
  const std::string before = Read("t.zip");
  Write("gone", "x");
  z->OnStoreFile = [&](TZABaseArchiver*, std::string&, int&, std::string&, const std::string&) {
    std::filesystem::remove(Host("gone"));
  };
  z->AddFiles(Win("gone"));
  EXPECT_EQ(Read("t.zip"), before);
}

TEST_F(TransactionTest, CancelDuringSecondBlockLeavesNoTrace) {
  Write("a", "first");
  Write("big", Text(3 * 524288, 5));
  auto z = NewArchive("t.zip");
  z->AddFiles(Win("a"));
  const std::string before = Read("t.zip");
  int blocks = 0;
  bool overallEnd = false;
  z->OnFileProgress = [&](TZABaseArchiver*, const std::string&, double, TZAProcessOperation,
                          TZAProgressPhase phase, bool& cancel) {
    if (phase == ppProcess && ++blocks == 2) cancel = true;
  };
  z->OnOverallProgress = [&](TZABaseArchiver*, double, TZAProcessOperation, TZAProgressPhase phase,
                             bool&) { overallEnd = overallEnd || phase == ppEnd; };
  z->AddFiles(Win("big"));
  EXPECT_TRUE(z->Cancelled());
  EXPECT_FALSE(overallEnd);
  EXPECT_EQ(Read("t.zip"), before);
  EXPECT_EQ(Names(*z), std::vector<std::string>{"a"});
}

TEST_F(TransactionTest, ReplacedMemberLosesItsOldBytes) {
  Write("one", "OLD-CONTENT-" + Noise(3000, 1));
  Write("two", "SECOND");
  auto z = NewArchive("t.zip");
  z->SetCompressionMode(0);
  z->OnStoreFile = [](TZABaseArchiver*, std::string& name, int&, std::string&, const std::string&) {
    if (name == "three") name = "one";  // the handler gives an existing name
  };
  z->AddFiles(Win("one"));
  z->AddFiles(Win("two"));
  Write("three", "NEW-CONTENT");
  z->AddFiles(Win("three"));
  EXPECT_EQ(Names(*z), (std::vector<std::string>{"one", "two"}));
  z->CloseArchive();
  const std::string b = Read("t.zip");
  EXPECT_EQ(b.find("OLD-CONTENT"), std::string::npos);
  EXPECT_NE(b.find("NEW-CONTENT"), std::string::npos);
  auto r = OpenRead("t.zip");
  r->BaseDir = Win("out");
  r->ExtractFiles("ONE");
  r->ExtractFiles("two");
  EXPECT_EQ(Read("out\\one"), "NEW-CONTENT");
  EXPECT_EQ(Read("out\\two"), "SECOND");
}

TEST_F(TransactionTest, EventOrderOfOneAddFiles) {
  Write("a", Text(100));
  auto z = NewArchive("t.zip");
  std::vector<std::string> log;
  z->OnConfirmProcessFile = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation,
                                bool&) { log.push_back("confirm"); };
  z->OnStoreFile = [&](TZABaseArchiver*, std::string&, int&, std::string&, const std::string&) {
    log.push_back("store");
  };
  z->OnOverallProgress = [&](TZABaseArchiver*, double p, TZAProcessOperation, TZAProgressPhase ph,
                             bool&) { log.push_back("overall" + std::to_string(ph) + ":" + std::to_string(static_cast<int>(p))); };
  z->OnFileProgress = [&](TZABaseArchiver*, const std::string& name, double, TZAProcessOperation,
                          TZAProgressPhase ph, bool&) {
    EXPECT_EQ(name, "T:\\a");
    log.push_back("file" + std::to_string(ph));
  };
  z->AddFiles(Win("a"));
  EXPECT_EQ(log, (std::vector<std::string>{"confirm", "store", "overall0:0", "file0", "file1",
                                           "overall1:100", "file2", "overall2:100"}));
}

TEST_F(TransactionTest, ArchiveNeverAddsItselfAndMissingMasksAddNothing) {
  Write("x.txt", "x");
  auto z = NewArchive("self.zip");
  z->AddFiles(Win("self.zip"));
  z->AddFiles(Win("nothing-here.txt"));
  z->AddFiles(Win("*.*"));
  EXPECT_EQ(Names(*z), std::vector<std::string>{"x.txt"});
}

TEST_F(TransactionTest, StorePathModes) {
  Write("data\\sub\\a.txt", "a");
  Write("other\\b.txt", "b");
  auto z = NewArchive("p.zip");
  z->Options.StorePath = spRelativePath;
  z->BaseDir = Win("data");
  z->AddFiles(Win("data\\sub\\a.txt"));
  z->AddFiles(Win("other\\b.txt"));
  z->Options.StorePath = spFullPath;
  z->AddFiles(Win("data\\sub\\a.txt"));
  EXPECT_EQ(Names(*z), (std::vector<std::string>{"sub/a.txt", "other/b.txt", "data/sub/a.txt"}));
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

// An archive stream on a device that fills up at `capacity` bytes.
class FullDevice : public TMemoryStream {
 public:
  explicit FullDevice(std::size_t* capacity) : capacity_(capacity) {}
  void Write(std::span<const std::uint8_t> data) override {
    if (Position() + data.size() > *capacity_) {
      throw platform::OsError("There is not enough space on the disk.", platform::kErrorDiskFull);
    }
    TMemoryStream::Write(data);
  }

 private:
  std::size_t* capacity_;
};

TEST_F(TransactionTest, DiskFullFailsTheMemberOrWaitsForSpace) {
  Write("a", Noise(200000, 1));
  Write("b", Noise(300000, 2));
  std::size_t capacity = 250000;
  TZipArchiver z;
  z.OpenArchive(std::make_unique<FullDevice>(&capacity), TZipArchiver::kModeCreate);
  z.Options.StorePath = spNoPath;
  z.AddFiles(Win("a"));
  const std::int64_t afterFirst = z.Size();
  std::vector<int> natives;
  z.OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int native,
                               int, const std::string&, TZAAction& action) {
    natives.push_back(native);
    action = fxaAbort;
  };
  z.AddFiles(Win("b"));  // no OnDiskFull: NativeError 65, aborted, rolled back
  EXPECT_EQ(natives, std::vector<int>{65});
  EXPECT_EQ(z.Size(), afterFirst);
  EXPECT_EQ(z.Directory()->Current.Count(), 1);
  int asked = 0;
  z.OnDiskFull = [&](TZABaseArchiver*, int, const std::string&, bool& cancel) {
    ++asked;
    capacity = 10'000'000;  // the user made room
    cancel = false;
  };
  z.AddFiles(Win("b"));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(z.Directory()->Current.Count(), 2);
  EXPECT_EQ(z.TestFiles(), 2);
}

TEST_F(TransactionTest, RetryWritesTheMemberAgain) {
  Write("a", "first");
  auto z = NewArchive("t.zip");
  z->AddFiles(Win("a"));
  Write("b", "second");
  z->OnStoreFile = [&](TZABaseArchiver*, std::string&, int&, std::string&, const std::string&) {
    std::filesystem::rename(Host("b"), Host("b.away"));
  };
  int calls = 0;
  z->OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int native,
                                int, const std::string&, TZAAction& action) {
    ++calls;
    EXPECT_EQ(native, 33);
    std::filesystem::rename(Host("b.away"), Host("b"));
    action = fxaRetry;
  };
  z->AddFiles(Win("b"));
  EXPECT_EQ(calls, 1);
  z->CloseArchive();
  auto r = OpenRead("t.zip");
  r->BaseDir = Win("out");
  r->ExtractFiles("b");
  EXPECT_EQ(Read("out\\b"), "second");
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

TEST_F(TransactionTest, NestedUpdateCommitsOnceAtTheOutermostEnd) {
  Write("a", "first");
  Write("b", "second");
  auto z = NewArchive("t.zip");
  z->CloseArchive();
  TZipArchiver u;
  u.FileName = Win("t.zip");
  u.Options.StorePath = spNoPath;
  u.BeginUpdate();  // opens the closed archive itself
  EXPECT_TRUE(u.Active());
  u.AddFiles(Win("a"));
  u.AddFiles(Win("b"));
  EXPECT_EQ(u.UpdateDepth(), 1);
  EXPECT_EQ(Read("t.zip").size(), 22u);  // nothing written yet
  u.EndUpdate();
  EXPECT_EQ(u.UpdateDepth(), 0);
  EXPECT_EQ(OpenRead("t.zip")->FileCount(), 2);
}

}  // namespace
}  // namespace engine::testing
