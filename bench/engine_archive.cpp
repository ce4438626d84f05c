// Archive engine benchmarks: building, extracting, one commit per file, peak memory;
// each against its peers in the same run. Sizes come from the environment so a quick run
// is possible (docs/BENCHMARKS.md gives the full-size command):
//   KW_BENCH_MIXED_MB   mixed input, half text-like, half incompressible (default 64)
//   KW_BENCH_SMALL      number of 10 KiB files for the one-commit-per-file case (default 2000)
//   KW_BENCH_BIG_MB     size of the single file for the peak-memory case (default 256)
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/zip_archiver.h"
#include "platform/file_system.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::size_t EnvSize(const char* name, std::size_t fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? static_cast<std::size_t>(std::strtoull(v, nullptr, 10)) : fallback;
}

void WriteFile(const fs::path& p, std::size_t size, bool text, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::string buf;
  buf.reserve(1 << 20);
  static const char* words[] = {"kronika ", "wieków ", "rodzina ", "osoba ", "urodzony ",
                                "zmarł ",   "ślub ",   "parafia ", "1887 ",  "\n"};
  std::ofstream out(p, std::ios::binary);
  while (size > 0) {
    buf.clear();
    while (buf.size() < std::min<std::size_t>(size, 1 << 20)) {
      if (text) {
        buf += words[rng() % 10];
      } else {
        const std::uint64_t r = rng();
        buf.append(reinterpret_cast<const char*>(&r), 8);
      }
    }
    buf.resize(std::min<std::size_t>(size, buf.size()));
    out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
    size -= buf.size();
  }
}

// The inputs, made once per run in a temporary folder.
struct Inputs {
  fs::path root;
  std::vector<fs::path> mixed;
  std::uint64_t mixedBytes = 0;
  std::vector<fs::path> small;
  fs::path big;
  fs::path tools;  // build/<preset>/tools

  Inputs() {
    root = fs::temp_directory_path() / ("kw_bench_" + std::to_string(::getpid()));
    fs::create_directories(root / "mixed");
    const std::size_t mixedMb = EnvSize("KW_BENCH_MIXED_MB", 64);
    const std::size_t fileMb = 8;
    for (std::size_t i = 0; i * fileMb < mixedMb; ++i) {
      fs::path p = root / "mixed" / ("f" + std::to_string(i) + (i % 2 ? ".jpg" : ".txt"));
      WriteFile(p, fileMb << 20, i % 2 == 0, static_cast<unsigned>(i));
      mixed.push_back(p);
      mixedBytes += fileMb << 20;
    }
    fs::create_directories(root / "small");
    for (std::size_t i = 0, n = EnvSize("KW_BENCH_SMALL", 2000); i < n; ++i) {
      fs::path p = root / "small" / ("s" + std::to_string(i) + ".dat");
      WriteFile(p, 10240, i % 2 == 0, static_cast<unsigned>(i + 1000));
      small.push_back(p);
    }
    big = root / "big.bin";
    WriteFile(big, EnvSize("KW_BENCH_BIG_MB", 256) << 20, false, 99);
    tools = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "tools";
    // Every contender starts from a warm page cache.
    std::vector<char> buf(1 << 20);
    for (const auto& p : mixed) {
      std::ifstream f(p, std::ios::binary);
      while (f.read(buf.data(), static_cast<std::streamsize>(buf.size()))) {
      }
    }
  }
  ~Inputs() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string Win(const fs::path& p) const {
    return platform::DefaultFileSystem().ToWindows(p).value_or("");
  }
  std::string FileList() const {
    std::string s;
    for (const auto& p : mixed) s += " '" + p.filename().string() + "'";
    return s;
  }
};

Inputs& In() {
  static Inputs inputs;
  return inputs;
}

void Shell(benchmark::State& state, const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
    state.SkipWithError(("failed: " + command).c_str());
  }
}

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// ---- building the mixed archive ----

void BM_ZlibLevel1Limit(benchmark::State& state) {
  std::vector<unsigned char> in(512 << 10), out(600 << 10);
  for (auto _ : state) {
    for (const auto& p : In().mixed) {
      z_stream z{};
      deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
      std::ifstream f(p, std::ios::binary);
      while (f) {
        f.read(reinterpret_cast<char*>(in.data()), static_cast<std::streamsize>(in.size()));
        const auto n = static_cast<uInt>(f.gcount());
        if (n == 0) break;
        z.next_in = in.data();
        z.avail_in = n;
        do {
          z.next_out = out.data();
          z.avail_out = static_cast<uInt>(out.size());
          deflate(&z, f.peek() == EOF ? Z_FINISH : Z_SYNC_FLUSH);
        } while (z.avail_out == 0);
      }
      deflateEnd(&z);
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().mixedBytes));
}

void BM_EngineBuild(benchmark::State& state) {
  const fs::path archive = In().root / "engine.zip";
  for (auto _ : state) {
    fs::remove(archive);
    engine::TZipArchiver z;
    z.FileName = In().Win(archive);
    z.OpenArchive(engine::TZipArchiver::kModeCreate);
    z.Options.Recurse = false;
    z.Options.StorePath = engine::spNoPath;
    z.Options.FlushBuffers = false;
    z.SetPassword(state.range(0) ? "haslo" : "");
    z.EncryptionMethod = engine::caAES_128;
    for (const auto& p : In().mixed) z.AddFiles(In().Win(p));
    z.CloseArchive();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().mixedBytes));
}

void BM_SevenZipBuild(benchmark::State& state) {
  if (!Have("7z")) return state.SkipWithError("7z missing");
  const std::string aes = state.range(0) ? " -mem=AES128 -phaslo" : "";
  for (auto _ : state) {
    fs::remove(In().root / "7z.zip");
    Shell(state, "cd '" + (In().root / "mixed").string() + "' && 7z a -tzip -mx1 -mmt=1" + aes +
                     " ../7z.zip" + In().FileList());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().mixedBytes));
}

void BM_InfoZipBuild(benchmark::State& state) {
  if (!Have("zip")) return state.SkipWithError("zip missing");
  for (auto _ : state) {
    fs::remove(In().root / "infozip.zip");
    Shell(state, "cd '" + (In().root / "mixed").string() + "' && zip -1 -q ../infozip.zip" +
                     In().FileList());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().mixedBytes));
}

// ---- extracting the engine's plain archive ----

void MakePlainArchive() {
  engine::TZipArchiver z;
  z.FileName = In().Win(In().root / "extract.zip");
  z.OpenArchive(engine::TZipArchiver::kModeCreate);
  z.Options.StorePath = engine::spNoPath;
  z.Options.FlushBuffers = false;
  for (const auto& p : In().mixed) z.AddFiles(In().Win(p));
  z.CloseArchive();
}

void BM_EngineExtract(benchmark::State& state) {
  MakePlainArchive();
  for (auto _ : state) {
    fs::remove_all(In().root / "out_engine");
    fs::create_directories(In().root / "out_engine");
    engine::TZipArchiver z;
    z.FileName = In().Win(In().root / "extract.zip");
    z.OpenArchive(engine::TZipArchiver::kModeRead);
    z.Options.FlushBuffers = false;
    z.BaseDir = In().Win(In().root / "out_engine");
    z.ExtractFiles("*.*");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().mixedBytes));
}

void BM_UnzipExtract(benchmark::State& state) {
  if (!Have("unzip")) return state.SkipWithError("unzip missing");
  MakePlainArchive();
  for (auto _ : state) {
    Shell(state, "unzip -q -o '" + (In().root / "extract.zip").string() + "' -d '" +
                     (In().root / "out_unzip").string() + "'");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().mixedBytes));
}

void BM_SevenZipExtract(benchmark::State& state) {
  if (!Have("7z")) return state.SkipWithError("7z missing");
  MakePlainArchive();
  for (auto _ : state) {
    Shell(state, "7z x -y -mmt=1 -o'" + (In().root / "out_7z").string() + "' '" +
                     (In().root / "extract.zip").string() + "'");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * In().mixedBytes));
}

// ---- one commit per file against one commit for all ----

void BM_SmallFiles(benchmark::State& state) {
  const bool oneUpdate = state.range(0) != 0;
  const fs::path archive = In().root / "small.zip";
  for (auto _ : state) {
    fs::remove(archive);
    engine::TZipArchiver z;
    z.FileName = In().Win(archive);
    z.OpenArchive(engine::TZipArchiver::kModeCreate);
    z.Options.Recurse = false;
    z.Options.StorePath = engine::spNoPath;
    z.Options.FlushBuffers = false;
    if (oneUpdate) z.BeginUpdate();
    for (const auto& p : In().small) z.AddFiles(In().Win(p));
    if (oneUpdate) z.EndUpdate();
    z.CloseArchive();
  }
  state.counters["files"] = static_cast<double>(In().small.size());
}

// ---- peak memory of kwzip adding and extracting one big file ----

long PeakKiB(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  return usage.ru_maxrss;
}

void BM_PeakMemoryBigFile(benchmark::State& state) {
  const std::string kwzip = (In().tools / "kwzip").string();
  const fs::path archive = In().root / "big.zip";
  long addKiB = 0, extractKiB = 0;
  for (auto _ : state) {
    fs::remove(archive);
    fs::remove_all(In().root / "out_big");
    const std::string level = state.range(0) ? "--password" : "--level";
    const std::string value = state.range(0) ? "haslo" : "1";
    addKiB = PeakKiB({kwzip, "add", level, value, archive.string(), In().big.string()});
    extractKiB = PeakKiB({kwzip, "extract", "--password", "haslo", archive.string(),
                          (In().root / "out_big").string()});
    if (addKiB < 0 || extractKiB < 0) state.SkipWithError("kwzip failed");
  }
  state.counters["add_peak_MiB"] = static_cast<double>(addKiB) / 1024.0;
  state.counters["extract_peak_MiB"] = static_cast<double>(extractKiB) / 1024.0;
  state.counters["file_MiB"] = static_cast<double>(fs::file_size(In().big) >> 20);
}

}  // namespace

BENCHMARK(BM_ZlibLevel1Limit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_EngineBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SevenZipBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_InfoZipBuild)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_EngineExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_UnzipExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SevenZipExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SmallFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PeakMemoryBigFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
