// kwzip: a small command-line tool over the archive engine, for inspecting archives and for
// driving the engine from interoperability tests and benchmarks.
//
//   kwzip list ARCHIVE
//   kwzip add [--level N] [--password P] [--method aes128|aes192|aes256|zipcrypto] ARCHIVE FILE...
//   kwzip extract [--password P] ARCHIVE DIR
//   kwzip test [--password P] ARCHIVE
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "engine/zip_archiver.h"
#include "platform/date_time.h"
#include "platform/file_system.h"
#include "platform/win_error.h"

namespace {

using engine::TZipArchiver;

constexpr const char* kUsage =
    "usage:\n"
    "  kwzip list ARCHIVE\n"
    "  kwzip add [--level N] [--password P] [--method aes128|aes192|aes256|zipcrypto] "
    "ARCHIVE FILE...\n"
    "  kwzip extract [--password P] ARCHIVE DIR\n"
    "  kwzip test [--password P] ARCHIVE\n"
    "Exit status 0 on success, 1 on any failure, 2 on a usage error.\n";

struct UsageError {
  std::string message;
};

// A host path on the command line as the engine's Windows path.
std::string ToWindows(const std::string& host) {
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(host, ec);
  if (ec) throw UsageError{"cannot resolve " + host};
  abs = abs.lexically_normal();
  std::string text = abs.string();
  if (text.size() > 1 && text.back() == '/') abs = text.substr(0, text.size() - 1);
  auto win = platform::DefaultFileSystem().ToWindows(abs);
  if (!win) throw UsageError{"path not reachable through a drive letter: " + host};
  return *win;
}

struct Options {
  int level = 1;
  std::string password;
  engine::TZACryptoAlgorithm method = engine::caAES_128;
  std::vector<std::string> positional;
};

Options Parse(int argc, char** argv, int first) {
  Options o;
  for (int i = first; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{a + " needs a value"};
      return argv[++i];
    };
    if (a == "--level") {
      std::string v = value();
      if (v.size() != 1 || v[0] < '0' || v[0] > '9') throw UsageError{"--level takes 0..9"};
      o.level = v[0] - '0';
    } else if (a == "--password") {
      o.password = value();
    } else if (a == "--method") {
      std::string v = value();
      if (v == "aes128") o.method = engine::caAES_128;
      else if (v == "aes192") o.method = engine::caAES_192;
      else if (v == "aes256") o.method = engine::caAES_256;
      else if (v == "zipcrypto") o.method = engine::caPkzipClassic;
      else throw UsageError{"unknown method " + v};
    } else if (a.starts_with("--")) {
      throw UsageError{"unknown option " + a};
    } else {
      o.positional.push_back(a);
    }
  }
  return o;
}

// Collects member failures; the tool goes on with the next member and fails at the end.
struct FailureLog {
  int failures = 0;
  void Attach(TZipArchiver& zip, engine::TZAAction action) {
    zip.OnProcessFileFailure = [this, action](engine::TZABaseArchiver*, const std::string& name,
                                              engine::TZAProcessOperation, int, int,
                                              const std::string& message,
                                              engine::TZAAction& act) {
      ++failures;
      std::cerr << "kwzip: " << name << ": " << message << "\n";
      act = action;
    };
    zip.OnPassword = [this](engine::TZABaseArchiver*, const std::string& name, std::string&,
                            bool& skip) {
      ++failures;
      std::cerr << "kwzip: " << name << ": wrong or missing password\n";
      skip = true;
    };
  }
};

std::string DosText(std::uint16_t date, std::uint16_t time) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (date >> 9),
                (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
  return buf;
}

int List(const Options& o) {
  if (o.positional.size() != 1) throw UsageError{"list takes ARCHIVE"};
  TZipArchiver zip;
  zip.FileName = ToWindows(o.positional[0]);
  zip.OpenArchive(TZipArchiver::kModeRead);
  zip.Options.Recurse = true;
  engine::TZAArchiveItem item;
  const auto* dir = zip.Directory();
  for (bool f = zip.FindFirst("*.*", item); f; f = zip.FindNext(item)) {
    const auto& m = dir->Current.Item(item.SearchState.ItemNo);
    std::printf("%s%s\tsize=%lld\tpacked=%lld\trate=%.1f\tmethod=%u\tencrypted=%s\tcrc=%08X\t"
                "date=%s\tattr=%04X\tcomment=%s\n",
                item.StoredPath.c_str(), item.FileName.c_str(),
                static_cast<long long>(item.UncompressedSize),
                static_cast<long long>(item.CompressedSize), item.CompressionRate,
                static_cast<unsigned>(m.ActualMethod),
                !item.Encrypted ? "no" : m.IsAes() ? (m.AesStrength == 1 ? "aes128" : m.AesStrength == 2 ? "aes192" : "aes256") : "zipcrypto",
                item.Crc32, DosText(item.DosDate, item.DosTime).c_str(), item.ExternalAttributes,
                item.Comment.c_str());
  }
  zip.CloseArchive();
  return 0;
}

int Add(const Options& o) {
  if (o.positional.size() < 2) throw UsageError{"add takes ARCHIVE FILE..."};
  TZipArchiver zip;
  zip.FileName = ToWindows(o.positional[0]);
  zip.Options.FlushBuffers = false;
  zip.Options.Recurse = false;
  zip.Options.StorePath = engine::spRelativePath;
  zip.BaseDir = ToWindows(".");
  zip.SetCompressionMode(o.level);
  zip.SetPassword(o.password);
  zip.EncryptionMethod = o.method;
  FailureLog log;
  log.Attach(zip, engine::fxaAbort);
  const bool created = !platform::DefaultFileSystem().FileExists(zip.FileName);
  if (created) {
    zip.OpenArchive(TZipArchiver::kModeCreate);
  } else {
    zip.OpenArchive();
  }
  for (std::size_t i = 1; i < o.positional.size() && log.failures == 0; ++i) {
    const std::string path = ToWindows(o.positional[i]);
    if (platform::DefaultFileSystem().DirectoryExists(path)) {
      zip.Options.Recurse = true;
      zip.AddFiles(path + "\\*.*");
      zip.Options.Recurse = false;
    } else if (platform::DefaultFileSystem().FileExists(path)) {
      zip.AddFiles(path);
    } else {
      std::cerr << "kwzip: " << o.positional[i] << ": no such file\n";
      ++log.failures;
    }
  }
  zip.CloseArchive();
  // Each AddFiles left a valid archive; one this run created and could not fill goes.
  if (log.failures != 0 && created) platform::DefaultFileSystem().DeleteFile(zip.FileName);
  return log.failures == 0 ? 0 : 1;
}

int Extract(const Options& o, bool testOnly) {
  if (o.positional.size() != (testOnly ? 1u : 2u)) {
    throw UsageError{testOnly ? "test takes ARCHIVE" : "extract takes ARCHIVE DIR"};
  }
  TZipArchiver zip;
  zip.FileName = ToWindows(o.positional[0]);
  zip.SetPassword(o.password);
  zip.Options.Recurse = true;
  zip.Options.FlushBuffers = false;
  FailureLog log;
  log.Attach(zip, engine::fxaIgnore);
  zip.OpenArchive(TZipArchiver::kModeRead);
  if (testOnly) {
    zip.TestFiles("*.*");
  } else {
    std::filesystem::create_directories(o.positional[1]);
    zip.BaseDir = ToWindows(o.positional[1]);
    zip.ExtractFiles("*.*");
  }
  zip.CloseArchive();
  if (log.failures == 0 && testOnly) std::printf("OK\n");
  return log.failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  try {
    Options o = Parse(argc, argv, 2);
    if (command == "list") return List(o);
    if (command == "add") return Add(o);
    if (command == "extract") return Extract(o, false);
    if (command == "test") return Extract(o, true);
    throw UsageError{"unknown command " + command};
  } catch (const UsageError& e) {
    std::cerr << "kwzip: " << e.message << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "kwzip: " << e.what() << "\n";
    return 1;
  }
}
