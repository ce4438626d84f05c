// Resolving Windows paths case-insensitively: 20,000 references spread over 500 folders,
// with a cold and a warm listing cache, against plain stat() of the exact host paths in
// the same run. Each resolving benchmark times the stat() pass too and reports the ratio.
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;
constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 40;

// A tree of mixed-case names ("Zdjęcia\Rok_007_Ślub\IMG_Foto_0280.Jpg") and references
// to it with A-Z lowered, as the data file records them.
struct Tree {
  Tree() {
    std::string pattern = (fs::temp_directory_path() / "kw-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root = pattern;
    for (int f = 0; f < kFolders; ++f) {
      char folder[64];
      std::snprintf(folder, sizeof folder, "Zdjęcia/Rok_%03d_Ślub", f);
      fs::create_directories(root / folder);
      for (int i = 0; i < kFilesPerFolder; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "IMG_Foto_%04d.Jpg", f * kFilesPerFolder + i);
        const fs::path host = root / folder / name;
        std::FILE* file = std::fopen(host.c_str(), "w");
        if (file != nullptr) std::fclose(file);
        hostPaths.push_back(host.string());
        std::string windows = std::string("C:\\") + folder + "\\" + name;
        for (char& c : windows) {
          if (c == '/') c = '\\';
          if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        references.push_back(windows);
        missing.push_back(windows.substr(0, windows.size() - 4) + "_brak.jpg");
      }
    }
  }
  ~Tree() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  platform::DriveMap Map() const {
    platform::DriveMap map;
    map.Map('C', root);
    return map;
  }

  fs::path root;
  std::vector<std::string> hostPaths;
  std::vector<std::string> references;
  std::vector<std::string> missing;
};

const Tree& TheTree() {
  static const Tree tree;
  return tree;
}

double StatPass(const Tree& tree) {
  const auto start = std::chrono::steady_clock::now();
  struct stat st {};
  int found = 0;
  for (const auto& path : tree.hostPaths) found += ::stat(path.c_str(), &st) == 0 ? 1 : 0;
  benchmark::DoNotOptimize(found);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename Body>
void Measure(benchmark::State& state, const Tree& tree, Body body) {
  double resolveSeconds = 0;
  double statSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    body();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    resolveSeconds += seconds;
    statSeconds += StatPass(tree);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(tree.references.size()));
  state.counters["x_stat"] = resolveSeconds / statSeconds;
}

void BM_StatExactHostPaths(benchmark::State& state) {
  const Tree& tree = TheTree();
  for (auto _ : state) state.SetIterationTime(StatPass(tree));
  state.SetItemsProcessed(state.iterations() * static_cast<long long>(tree.hostPaths.size()));
}

void BM_ResolveColdCache(benchmark::State& state) {
  const Tree& tree = TheTree();
  platform::FileSystem files(tree.Map());
  std::size_t listings = 0;
  std::size_t passes = 0;
  Measure(state, tree, [&] {
    files.InvalidateCache();
    const std::size_t before = files.DirectoryListingsRead();
    int found = 0;
    for (const auto& ref : tree.references) found += files.FileExists(ref) ? 1 : 0;
    if (found != static_cast<int>(tree.references.size())) std::abort();
    listings += files.DirectoryListingsRead() - before;
    ++passes;
  });
  state.counters["listings"] = static_cast<double>(listings) / static_cast<double>(passes);
}

void BM_ResolveWarmCache(benchmark::State& state) {
  const Tree& tree = TheTree();
  platform::FileSystem files(tree.Map());
  for (const auto& ref : tree.references) files.FileExists(ref);
  Measure(state, tree, [&] {
    int found = 0;
    for (const auto& ref : tree.references) found += files.FileExists(ref) ? 1 : 0;
    if (found != static_cast<int>(tree.references.size())) std::abort();
  });
}

// The usual case of a data file whose files have gone: every answer is "missing".
void BM_ResolveWarmCacheMissingFiles(benchmark::State& state) {
  const Tree& tree = TheTree();
  platform::FileSystem files(tree.Map());
  for (const auto& ref : tree.references) files.FileExists(ref);
  Measure(state, tree, [&] {
    int found = 0;
    for (const auto& ref : tree.missing) found += files.FileExists(ref) ? 1 : 0;
    if (found != 0) std::abort();
  });
}

BENCHMARK(BM_StatExactHostPaths)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveColdCache)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveWarmCache)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveWarmCacheMissingFiles)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
