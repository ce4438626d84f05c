// Archive engine benchmarks: building, extracting, one commit per file, peak memory;
// each against its peers in the same run. Sizes come from the environment so a quick run
// is possible (docs/BENCHMARKS.md gives the full-size command):
//   KW_BENCH_MIXED_MB   mixed input, half text-like, half incompressible (default 64)
//   KW_BENCH_SMALL      number of 10 KiB files for the one-commit-per-file case (default 2000)
//   KW_BENCH_BIG_MB     size of the single file for the peak-memory case (default 256)
//   KW_BENCH_ROUNDS     rounds of each comparison; every contender keeps its best (default 1)
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
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

// Wall-clock seconds of one call.
template <typename F>
double Seconds(F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The contenders of one comparison run back to back in every round; each keeps its best
// round, so a burst of load on the shared machine hurts one round, not one contender.
struct Race {
  std::map<std::string, double> best;
  void Lap(const std::string& name, double seconds) {
    auto [it, fresh] = best.emplace(name, seconds);
    if (!fresh) it->second = std::min(it->second, seconds);
  }
  void Report(benchmark::State& state, const std::string& reference, double bytes) const {
    for (const auto& [name, sec] : best) {
      state.counters[name + "_s"] = sec;
      if (bytes > 0) state.counters[name + "_MBps"] = bytes / sec / 1e6;
      if (name != reference && best.count(reference)) {
        state.counters[name + "_vs_" + reference] = best.at(reference) / sec;
      }
    }
  }
};

int Rounds() { return static_cast<int>(EnvSize("KW_BENCH_ROUNDS", 1)); }

void ZlibLevel1(const std::vector<fs::path>& files) {
  std::vector<unsigned char> in(512 << 10), out(600 << 10);
  for (const auto& p : files) {
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::ifstream f(p, std::ios::binary);
    const auto size = fs::file_size(p);
    std::uint64_t done = 0;
    while (done < size) {
      f.read(reinterpret_cast<char*>(in.data()), static_cast<std::streamsize>(in.size()));
      const auto n = static_cast<uInt>(f.gcount());
      if (n == 0) break;
      done += n;
      z.next_in = in.data();
      z.avail_in = n;
      do {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, done == size ? Z_FINISH : Z_SYNC_FLUSH);
      } while (z.avail_out == 0);
    }
    deflateEnd(&z);
  }
}

void EngineBuild(const fs::path& archive, const std::vector<fs::path>& files, bool aes,
                 bool oneUpdate = false) {
  fs::remove(archive);
  engine::TZipArchiver z;
  z.FileName = In().Win(archive);
  z.OpenArchive(engine::TZipArchiver::kModeCreate);
  z.Options.Recurse = false;
  z.Options.StorePath = engine::spNoPath;
  z.Options.FlushBuffers = false;
  z.SetPassword(aes ? "haslo" : "");
  z.EncryptionMethod = engine::caAES_128;
  if (oneUpdate) z.BeginUpdate();
  for (const auto& p : files) z.AddFiles(In().Win(p));  // one AddFiles per file
  if (oneUpdate) z.EndUpdate();
  z.CloseArchive();
}

// Building the mixed archive at level 1: the engine against a bare zlib loop over the same
// bytes (the limit), 7-Zip and Info-ZIP. Arg 1: AES-128 (7-Zip with -mem=AES128).
void BM_BuildMixed(benchmark::State& state) {
  const bool aes = state.range(0) != 0;
  const std::string mixed = (In().root / "mixed").string();
  Race race;
  for (auto _ : state) {
    for (int r = 0; r < Rounds(); ++r) {
      race.Lap("zlib", Seconds([&] { ZlibLevel1(In().mixed); }));
      race.Lap("engine", Seconds([&] { EngineBuild(In().root / "engine.zip", In().mixed, aes); }));
      if (Have("7z")) {
        fs::remove(In().root / "7z.zip");
        race.Lap("7z", Seconds([&] {
                   Shell(state, "cd '" + mixed + "' && 7z a -tzip -mx1 -mmt=1" +
                                    (aes ? " -mem=AES128 -phaslo" : "") + " ../7z.zip" +
                                    In().FileList());
                 }));
      }
      if (!aes && Have("zip")) {
        fs::remove(In().root / "infozip.zip");
        race.Lap("zip", Seconds([&] {
                   Shell(state, "cd '" + mixed + "' && zip -1 -q ../infozip.zip" + In().FileList());
                 }));
      }
    }
  }
  race.Report(state, "engine", static_cast<double>(In().mixedBytes));
  state.counters["engine_of_zlib_limit"] = race.best.at("zlib") / race.best.at("engine");
}

// Extracting the engine's plain archive against unzip and 7-Zip.
void BM_ExtractMixed(benchmark::State& state) {
  EngineBuild(In().root / "extract.zip", In().mixed, false);
  const std::string archive = (In().root / "extract.zip").string();
  Race race;
  for (auto _ : state) {
    for (int r = 0; r < Rounds(); ++r) {
      fs::remove_all(In().root / "out_engine");
      fs::create_directories(In().root / "out_engine");
      race.Lap("engine", Seconds([&] {
                 engine::TZipArchiver z;
                 z.FileName = In().Win(archive);
                 z.OpenArchive(engine::TZipArchiver::kModeRead);
                 z.Options.FlushBuffers = false;
                 z.BaseDir = In().Win(In().root / "out_engine");
                 z.ExtractFiles("*.*");
               }));
      if (Have("unzip")) {
        race.Lap("unzip", Seconds([&] {
                   Shell(state, "unzip -q -o '" + archive + "' -d '" +
                                    (In().root / "out_unzip").string() + "'");
                 }));
      }
      if (Have("7z")) {
        race.Lap("7z", Seconds([&] {
                   Shell(state, "7z x -y -mmt=1 -o'" + (In().root / "out_7z").string() + "' '" +
                                    archive + "'");
                 }));
      }
    }
  }
  race.Report(state, "engine", static_cast<double>(In().mixedBytes));
}

// The program's pattern, one AddFiles (one commit) per 10 KiB file, against the same files
// in one BeginUpdate / EndUpdate.
void BM_SmallFilesOneCommitEach(benchmark::State& state) {
  Race race;
  for (auto _ : state) {
    for (int r = 0; r < Rounds(); ++r) {
      race.Lap("one_update", Seconds([&] { EngineBuild(In().root / "small1.zip", In().small, false, true); }));
      race.Lap("per_file", Seconds([&] { EngineBuild(In().root / "small2.zip", In().small, false); }));
    }
  }
  race.Report(state, "one_update", 0);
  state.counters["per_file_over_one_update"] = race.best.at("per_file") / race.best.at("one_update");
  state.counters["files"] = static_cast<double>(In().small.size());
}

// ---- peak memory of kwzip adding and extracting one big file ----

// The peak resident set of a command. A spawned child's count starts from its parent's
// resident pages, so the command runs under /usr/bin/time, a small parent, when it is there.
long PeakKiB(std::vector<std::string> args) {
  const fs::path report = In().root / "peak.txt";
  const bool timed = fs::exists("/usr/bin/time");
  if (timed) args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", report.string()});
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
  if (!timed) return usage.ru_maxrss;
  long kib = -1;
  std::ifstream(report) >> kib;
  return kib;
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

BENCHMARK(BM_BuildMixed)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ExtractMixed)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SmallFilesOneCommitEach)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PeakMemoryBigFile)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
