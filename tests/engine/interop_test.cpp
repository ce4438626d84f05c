// Interoperability with other ZIP tools in both directions: every kind of archive the
// engine writes passes 7-Zip, UnZip and Python's zipfile where they support the method,
// and archives those tools write open, list and extract with the engine. A test whose
// tool is missing is skipped.
#include <array>
#include <cstdio>
#include <map>

#include "archive_fixture.h"

namespace engine::testing {
namespace {

struct RunResult {
  int status = -1;
  std::string output;
};

RunResult Shell(const std::string& command) {
  RunResult r;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  std::array<char, 4096> buf{};
  while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) r.output.append(buf.data(), n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

bool Have(const std::string& tool) { return Shell("command -v " + tool).status == 0; }

class InteropTest : public ZipFixture {
 public:
  std::string Q(const std::string& rel) const { return "'" + Host(rel).string() + "'"; }
  std::string InDir(const std::string& rel) const { return "cd " + Q(rel) + " && "; }

  // Files with the kinds of content the program archives.
  std::map<std::string, std::string> Sources() {
    return {{"text.txt", Text(200000, 3)},
            {"photo.jpg", Noise(70000, 4)},
            {"empty.dat", ""},
            {"one.bin", "x"}};
  }
};

// An engine archive for each encryption, several commits each, with comments, a stored
// member, empty files and names in Polish and in a script the ANSI page lacks.
TEST_F(InteropTest, EngineArchivesPassOtherTools) {
  if (!Have("7z")) GTEST_SKIP() << "7z missing";
  auto files = Sources();
  files["zażółć gęślą.txt"] = Text(3000, 9);
  files["кириллица.txt"] = Text(2000, 10);
  for (const auto& [name, data] : files) Write("src\\" + name, data);
  struct Kind {
    const char* archive;
    const char* password;
    TZACryptoAlgorithm method;
  } kinds[] = {{"plain.zip", "", caAES_128},
               {"zipcrypto.zip", "pw", caPkzipClassic},
               {"aes128.zip", "pw", caAES_128},
               {"aes192.zip", "pw", caAES_192},
               {"aes256.zip", "pw", caAES_256}};
  for (const Kind& k : kinds) {
    auto z = NewArchive(k.archive, k.password);
    z->EncryptionMethod = k.method;
    z->OnStoreFile = [](TZABaseArchiver*, std::string&, int&, std::string& comment,
                        const std::string& original) { comment = "from " + original; };
    int n = 0;
    for (const auto& [name, data] : files) {
      z->SetCompressionMode(n++ == 1 ? 0 : 1);  // photo.jpg stored
      z->AddFiles(Win("src\\" + name));
    }
    z->CloseArchive();
    const std::string pw = *k.password ? std::string(" -p") + k.password : " -p";
    RunResult t = Shell("7z t" + pw + " " + Q(k.archive));
    EXPECT_EQ(t.status, 0) << k.archive << "\n" << t.output;
    EXPECT_NE(t.output.find("Files: 6"), std::string::npos) << t.output;
    if (k.method == caPkzipClassic || !*k.password) {
      if (Have("unzip")) {
        RunResult u = Shell(std::string("unzip -t -P '") + k.password + "' " + Q(k.archive));
        EXPECT_EQ(u.status, 0) << k.archive << "\n" << u.output;
      }
      if (Have("python3")) {
        RunResult p = Shell(
            "python3 -c \"import zipfile,sys\n"
            "z=zipfile.ZipFile(sys.argv[1]); z.setpassword(sys.argv[2].encode())\n"
            "assert z.testzip() is None\n"
            "names=[i.filename if i.flag_bits & 0x800 else i.filename.encode('cp437').decode('cp852') for i in z.infolist()]\n"
            "print('|'.join(sorted(names)))\" " + Q(k.archive) + " '" + k.password + "'");
        EXPECT_EQ(p.status, 0) << p.output;
        EXPECT_NE(p.output.find("zażółć gęślą.txt"), std::string::npos) << p.output;
        EXPECT_NE(p.output.find("кириллица.txt"), std::string::npos) << p.output;
      }
    }
    // And the engine reads its own archive back.
    auto r = OpenRead(k.archive);
    r->SetPassword(k.password);
    r->Options.Recurse = true;
    r->BaseDir = Win(std::string("out_") + k.archive);
    r->ExtractFiles("*.*");
    for (const auto& [name, data] : files) {
      EXPECT_EQ(Read(std::string("out_") + k.archive + "\\" + name), data) << k.archive << " " << name;
    }
  }
}

class ToolArchiveTest : public InteropTest {
 public:
  void SetUp() override {
    InteropTest::SetUp();
    for (const auto& [name, data] : Sources()) Write("src\\" + name, data);
  }

  // Opens an archive a tool wrote, checks the listing and extracts it with `password`.
  void CheckWithEngine(const std::string& archive, const std::string& password,
                       bool expectComment = false) {
    auto z = OpenRead(archive);
    z->Options.Recurse = true;
    z->SetPassword(password);
    std::vector<std::string> listed;
    TZAArchiveItem item;
    for (bool f = z->FindFirst("*.*", item); f; f = z->FindNext(item)) listed.push_back(item.FileName);
    EXPECT_EQ(listed.size(), Sources().size()) << archive;
    if (expectComment) {
      EXPECT_EQ(z->ArchiveComment().substr(0, 12), "komentarz kw");
    }
    int failures = 0;
    z->OnProcessFileFailure = [&](TZABaseArchiver*, const std::string&, TZAProcessOperation, int,
                                  int, const std::string& m, TZAAction&) {
      ++failures;
      ADD_FAILURE() << archive << ": " << m;
    };
    z->BaseDir = Win("x_" + archive);
    z->ExtractFiles("*.*");
    EXPECT_EQ(failures, 0);
    for (const auto& [name, data] : Sources()) {
      EXPECT_EQ(Read("x_" + archive + "\\" + name), data) << archive << " " << name;
    }
    if (!password.empty()) {
      // A wrong password is refused: nothing is written, nothing passes the test.
      auto w = OpenRead(archive);
      w->Options.Recurse = true;
      w->SetPassword("wrong");
      int asked = 0;
      w->OnPassword = [&](TZABaseArchiver*, const std::string&, std::string&, bool& skip) {
        ++asked;
        skip = true;
      };
      w->BaseDir = Win("wrong_" + archive);
      w->ExtractFiles("*.*");
      EXPECT_GE(asked, 3) << archive;  // every non-empty member at least
      EXPECT_FALSE(Exists("wrong_" + archive + "\\text.txt"));
    }
  }
};

TEST_F(ToolArchiveTest, InfoZipDeflateStreamingAndComment) {
  if (!Have("zip")) GTEST_SKIP() << "zip missing";
  ASSERT_EQ(Shell(InDir("src") + "zip -q ../zip.zip text.txt photo.jpg empty.dat one.bin").status, 0);
  CheckWithEngine("zip.zip", "");
  // Written to a pipe: local headers without sizes, data descriptors after the data.
  ASSERT_EQ(Shell(InDir("src") + "zip -q - text.txt photo.jpg empty.dat one.bin > ../stream.zip").status, 0);
  CheckWithEngine("stream.zip", "");
  ASSERT_EQ(Shell(InDir("src") + "echo 'komentarz kw' | zip -q -z ../zip.zip").status, 0);
  CheckWithEngine("zip.zip", "", true);
  ASSERT_EQ(Shell(InDir("src") + "zip -q -P sekret ../enc.zip text.txt photo.jpg empty.dat one.bin").status, 0);
  CheckWithEngine("enc.zip", "sekret");
}

TEST_F(ToolArchiveTest, SevenZipAes) {
  if (!Have("7z")) GTEST_SKIP() << "7z missing";
  for (const char* mem : {"AES128", "AES256"}) {
    const std::string name = std::string(mem) + ".zip";
    RunResult r = Shell(InDir("src") + "7z a -tzip -mem=" + mem +
                      " -psekret ../" + name + " text.txt photo.jpg empty.dat one.bin");
    ASSERT_EQ(r.status, 0) << r.output;
    CheckWithEngine(name, "sekret");
  }
}

TEST_F(ToolArchiveTest, PythonZipfile) {
  if (!Have("python3")) GTEST_SKIP() << "python3 missing";
  RunResult r = Shell(InDir("src") +
                    "python3 -c \"import zipfile\n"
                    "with zipfile.ZipFile('../py.zip','w',zipfile.ZIP_DEFLATED) as z:\n"
                    "  [z.write(n) for n in ['text.txt','photo.jpg','empty.dat','one.bin']]\"");
  ASSERT_EQ(r.status, 0) << r.output;
  CheckWithEngine("py.zip", "");
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

// The command-line tool: exit status, messages, and no partial output.
TEST_F(InteropTest, KwzipCommandLine) {
  const std::string kwzip = std::string(KW_BINARY_DIR) + "/tools/kwzip";
  if (!std::filesystem::exists(kwzip)) GTEST_SKIP() << "kwzip not built";
  Write("src\\a.txt", Text(5000));
  Write("src\\sub\\b.jpg", Noise(3000));
  EXPECT_EQ(Shell(kwzip + " --help").status, 0);
  EXPECT_EQ(Shell(kwzip + " frobnicate x").status, 2);
  ASSERT_EQ(Shell(InDir("src") + kwzip + " add --password pw --method aes256 ../k.zip a.txt sub/b.jpg").status, 0);
  RunResult list = Shell(kwzip + " list " + Q("k.zip"));
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.output.find("a.txt\tsize=5000"), std::string::npos) << list.output;
  EXPECT_NE(list.output.find("sub\\b.jpg"), std::string::npos) << list.output;
  EXPECT_NE(list.output.find("encrypted=aes256"), std::string::npos) << list.output;
  EXPECT_EQ(Shell(kwzip + " test --password pw " + Q("k.zip")).status, 0);
  RunResult wrong = Shell(kwzip + " test --password nope " + Q("k.zip"));
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.output.find("password"), std::string::npos);
  EXPECT_EQ(Shell(kwzip + " extract --password nope " + Q("k.zip") + " " + Q("bad")).status, 1);
  EXPECT_FALSE(Exists("bad\\a.txt"));
  ASSERT_EQ(Shell(kwzip + " extract --password pw " + Q("k.zip") + " " + Q("good")).status, 0);
  EXPECT_EQ(Read("good\\sub\\b.jpg"), Noise(3000));
  // A failed add into a new archive leaves no archive.
  EXPECT_NE(Shell(InDir("src") + kwzip + " add ../n.zip missing.txt").status, 0);
  EXPECT_FALSE(Exists("n.zip"));
  RunResult notZip = Shell(kwzip + " list " + Q("src\\a.txt"));
  EXPECT_EQ(notZip.status, 1);
  EXPECT_NE(notZip.output.find("Native error: 00035"), std::string::npos) << notZip.output;
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

// Zip64 fields written by another tool (sizes in the 0x0001 extra field) are read.
TEST_F(ToolArchiveTest, PythonZip64Fields) {
  if (!Have("python3")) GTEST_SKIP() << "python3 missing";
  RunResult r = Shell(InDir("src") +
                      "python3 -c \"import zipfile\n"
                      "with zipfile.ZipFile('../z64.zip','w',zipfile.ZIP_DEFLATED) as z:\n"
                      "  for n in ['text.txt','photo.jpg','empty.dat','one.bin']:\n"
                      "    with open(n,'rb') as f, z.open(n,'w',force_zip64=True) as o: o.write(f.read())\"");
  ASSERT_EQ(r.status, 0) << r.output;
  CheckWithEngine("z64.zip", "");
}

}  // namespace
}  // namespace engine::testing

namespace engine::testing {
namespace {

// Zip64Mode zmAlways: every member carries the Zip64 fields; other tools still read it.
TEST_F(InteropTest, Zip64AlwaysPassesOtherTools) {
  if (!Have("7z")) GTEST_SKIP() << "7z missing";
  for (const auto& [name, data] : Sources()) Write("src\\" + name, data);
  auto z = NewArchive("always.zip", "pw");
  z->Zip64Mode = zmAlways;
  for (const auto& [name, data] : Sources()) z->AddFiles(Win("src\\" + name));
  z->CloseArchive();
  RunResult t = Shell("7z t -ppw " + Q("always.zip"));
  EXPECT_EQ(t.status, 0) << t.output;
  auto r = OpenRead("always.zip");
  r->SetPassword("pw");
  EXPECT_EQ(r->TestFiles("*.*"), static_cast<int>(Sources().size()));
  EXPECT_TRUE(r->Directory()->Current.Item(0).NeedsZip64);
}

}  // namespace
}  // namespace engine::testing
