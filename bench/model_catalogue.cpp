// Model benchmarks: rebuilding the catalogue from 1,000 large descriptors, and reading a
// 50 MB data file with 20,000 references in 500 folders. Each reports its ratio to the goal,
// and the data file reader also its ratio to a bare scan of the same text.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string_view>
#include <string>
#include <vector>

#include "model/data_file_text.h"
#include "model/kwplus.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDescriptors = 1000;
constexpr int kFilesPerDescriptor = 5000;
constexpr int kReferences = 20000;
constexpr int kFolders = 500;
constexpr std::size_t kDataFileBytes = 50u * 1024 * 1024;

// A temporary drive C: and E: with a KWPlus over them, removed at exit.
class Machine {
 public:
  Machine() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("kw_bench_model_" + std::to_string(rd()));
    fs::create_directories(root_ / "c");
    fs::create_directories(root_ / "e");
    platform::DriveMap map;
    map.Map('C', root_ / "c");
    map.Map('E', root_ / "e");
    files_ = std::make_unique<platform::FileSystem>(std::move(map));
    kw::KWPlusSetup setup;
    setup.fs = files_.get();
    setup.executablePath = "E:\\Kopie\\ArchiwumKW.exe";
    setup.roamingAppDataFolder = "C:\\users\\jan\\AppData\\Roaming";
    setup.localAppDataFolder = "C:\\users\\jan\\AppData\\Local";
    model_ = std::make_unique<kw::KWPlus>(std::move(setup));
  }
  ~Machine() {
    model_.reset();
    files_.reset();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  const fs::path& Root() const { return root_; }
  kw::KWPlus& Model() { return *model_; }

 private:
  fs::path root_;
  std::unique_ptr<platform::FileSystem> files_;
  std::unique_ptr<kw::KWPlus> model_;
};

std::string FolderName(int f) { return "Folder" + std::to_string(f); }
std::string FileName(int i) { return "Zdjecie_" + std::to_string(i) + ".JPG"; }

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// 1,000 descriptors of 5,000 listed files each: one written by the model, then copied.
Machine& CatalogueMachine() {
  static const std::unique_ptr<Machine> machine = [] {
    auto m = std::make_unique<Machine>();
    kw::KWPlus& model = m->Model();
    kw::KWPlusProjekt p;
    p.ID = "{00000000-0000-4000-8000-000000000000}";
    p.Plik = "C:\\Dane\\Rodzina.kw";
    p.Nazwa = "Kopia";
    p.Komentarz = "Zdjęcia rodzinne";
    for (int i = 0; i < kFilesPerDescriptor; ++i) {
      kw::KWPlusFile f;
      f.Path = "c:\\zdjęcia\\" + FolderName(i % kFolders) + "\\" + FileName(i);
      f.Type = "MULTIMEDIA";
      f.Exists = true;
      p.Files.push_back(f);
    }
    model.WriteDescriptor(p, model.ArchiveFolder() + "{0}.kwbackup");
    const fs::path folder = m->Root() / "e" / "Kopie" / "ArchiwumKW";
    for (int d = 1; d < kDescriptors; ++d) {
      fs::copy_file(folder / "{0}.kwbackup", folder / ("{" + std::to_string(d) + "}.kwbackup"));
    }
    model.Fs().InvalidateCache();
    return m;
  }();
  return *machine;
}

// The main window's rebuild: clear, list the descriptors, load each ([Ogolne] only), sort.
void BM_LoadCatalogue(benchmark::State& state) {
  kw::KWPlus& model = CatalogueMachine().Model();
  std::vector<std::string> names;
  for (auto _ : state) {
    model.ClearCatalogue();
    model.ListFiles(model.ArchiveFolder(), names, model.DescriptorExt());
    for (const std::string& n : names) model.LoadCatalogueEntry(model.ArchiveFolder() + n);
    model.SortCatalogue(1, true);
    benchmark::DoNotOptimize(model.Count());
  }
  if (model.Count() != kDescriptors) state.SkipWithError("catalogue incomplete");
  // One descriptor read with its file list, for comparison with the [Ogolne]-only read.
  kw::KWPlusProjekt full;
  const auto t0 = std::chrono::steady_clock::now();
  model.ReadDescriptor(full, model.ArchiveFolder() + "{0}.kwbackup", true);
  const double fullRead = Seconds(std::chrono::steady_clock::now() - t0);
  state.counters["descriptors"] = kDescriptors;
  state.counters["files_each"] = static_cast<double>(full.Files.size());
  state.counters["one_full_read_s"] = fullRead;
  state.counters["goal_s"] = 0.5;
}
BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond)->Iterations(5);

// 20,000 references to files in 500 folders, written in another letter case than on disk,
// padded with person records to 50 MB.
Machine& DataFileMachine() {
  static const std::unique_ptr<Machine> machine = [] {
    auto m = std::make_unique<Machine>();
    for (int f = 0; f < kFolders; ++f) fs::create_directories(m->Root() / "c" / "zdjecia" / FolderName(f));
    std::string text = "\xEF\xBB\xBF<KronikaWiekow>\n<Osoby Liczba=\"150000\">\n";
    text.reserve(kDataFileBytes + 4096);
    const std::string person =
        "<Osoba Imie=\"Jan\" Nazwisko=\"Kowalski\" Urodzony=\"1901-02-03\" Miejsce=\"Kraków\" "
        "Uwagi=\"Notatka o osobie, wpisana przez użytkownika.\"/>\n";
    const std::size_t fillerPerReference = (kDataFileBytes / kReferences);
    for (int i = 0; i < kReferences; ++i) {
      const int folder = i % kFolders;
      std::ofstream(m->Root() / "c" / "zdjecia" / FolderName(folder) / ("zdjecie_" + std::to_string(i) + ".jpg"));
      text += "<Multimedia Plik=\"C:\\ZDJECIA\\" + FolderName(folder) + "\\" + FileName(i) + "\"/>\n";
      const std::size_t target = static_cast<std::size_t>(i + 1) * fillerPerReference;
      while (text.size() < target) text += person;
    }
    text += "</Osoby>\n<Rodziny Liczba=\"40000\">\n</Rodziny>\n</KronikaWiekow>\n";
    fs::create_directories(m->Root() / "c" / "Dane");
    std::ofstream(m->Root() / "c" / "Dane" / "Rodzina.kw", std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    m->Model().Fs().InvalidateCache();
    m->Model().ReadDataFile("C:\\Dane\\Rodzina.kw");  // warm the page and listing caches
    return m;
  }();
  return *machine;
}

void BM_ReadDataFile(benchmark::State& state) {
  Machine& machine = DataFileMachine();
  kw::KWPlus& model = machine.Model();
  const fs::path host = machine.Root() / "c" / "Dane" / "Rodzina.kw";
  double readSeconds = 0, scanSeconds = 0;
  std::size_t scanned = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    model.ReadDataFile("C:\\Dane\\Rodzina.kw");
    const double read = Seconds(std::chrono::steady_clock::now() - t0);
    readSeconds += read;
    state.SetIterationTime(read);

    // The bare scan: load the same bytes, make the text, find the references; no lookups.
    t0 = std::chrono::steady_clock::now();
    std::ifstream in(host, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(fs::file_size(host)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    scanned = 0;
    kw::ScanFileReferences(kw::DataFileText(bytes), "bench", [&](std::string_view) { ++scanned; });
    scanSeconds += Seconds(std::chrono::steady_clock::now() - t0);
  }
  std::size_t found = 0;
  for (const kw::KWPlusFile& f : model.Current.Files) found += f.Exists ? 1 : 0;
  if (found != kReferences + 1 || scanned != kReferences) state.SkipWithError("references lost");
  state.counters["references"] = kReferences;
  state.counters["MB"] = static_cast<double>(fs::file_size(host)) / 1048576.0;
  state.counters["bare_scan_s"] = scanSeconds / static_cast<double>(state.iterations());
  state.counters["read_to_scan"] = readSeconds / scanSeconds;
  state.counters["goal_s"] = 2.0;
}
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
