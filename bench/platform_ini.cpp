// INI files of descriptor size: writing one, reading it back, and reading only the
// first section of 1,000 of them against reading them whole.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ini_host.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 10'000;
constexpr int kDescriptors = 1'000;

// A descriptor as the program writes it: [Ogolne], then two keys per stored file.
platform::IniDocument MakeDescriptor() {
  platform::IniDocument doc;
  doc.Write("Ogolne", "ID", "{0B1A6E1C-36D4-4E3A-9F20-7C55A1D2E8B3}");
  doc.Write("Ogolne", "Plik", "C:\\Dane\\Rodzina Ślązaków.kw");
  doc.Write("Ogolne", "Nazwa", "Kopia zapasowa");
  doc.Write("Ogolne", "Komentarz", "Zażółć gęślą jaźń");
  doc.Write("Ogolne", "Protection", "0");
  doc.Write("Ogolne", "Size", "1263411");
  doc.Write("Ogolne", "SizeKWFile", "5120");
  doc.Write("Ogolne", "FileCount", std::to_string(kEntries));
  doc.Write("Ogolne", "LiczbaOsob", "1520");
  doc.Write("Ogolne", "LiczbaZw", "610");
  doc.Write("Ogolne", "Data", "09-12-2026");
  doc.Write("Ogolne", "Godzina", "07:05");
  for (int i = 1; i <= kEntries; ++i) {
    const std::string key = "Plik_" + std::to_string(i);
    doc.Write("Plik", key, "c:\\dane\\zdjęcia\\rodzina\\skan_" + std::to_string(i) + ".jpg");
    doc.Write("Plik", key + "_TYP", "MULTIMEDIA");
  }
  doc.Write("Pliki", "Liczba", std::to_string(kEntries));
  return doc;
}

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/kw_bench_ini_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempFolder() { fs::remove_all(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void BM_WriteDescriptor(benchmark::State& state) {
  TempFolder dir;
  const fs::path path = dir.path() / "d.kwbackup";
  for (auto _ : state) {
    const platform::IniDocument doc = MakeDescriptor();
    if (!platform::SaveIni(path, doc)) state.SkipWithError("write failed");
  }
  state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK(BM_WriteDescriptor)->Unit(benchmark::kMillisecond);

void BM_ReadDescriptor(benchmark::State& state) {
  TempFolder dir;
  const fs::path path = dir.path() / "d.kwbackup";
  if (!platform::SaveIni(path, MakeDescriptor())) std::abort();
  for (auto _ : state) {
    const platform::IniDocument doc = platform::LoadIni(path);
    // The restore's reading: the count, then both keys of every entry.
    const int n = std::stoi(*doc.Find("Pliki", "Liczba"));
    std::size_t total = 0;
    for (int i = 1; i <= n; ++i) {
      const std::string key = "Plik_" + std::to_string(i);
      total += doc.Find("Plik", key)->size() + doc.Find("Plik", key + "_TYP")->size();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadDescriptor)->Unit(benchmark::kMillisecond);

// 1,000 descriptor files: hard links to one written file, so the set costs one file's
// disk space; every read still opens and reads a file by its own name.
class Catalogue {
 public:
  Catalogue() {
    const fs::path first = dir_.path() / "0.kwbackup";
    if (!platform::SaveIni(first, MakeDescriptor())) std::abort();
    for (int i = 1; i < kDescriptors; ++i) {
      fs::create_hard_link(first, dir_.path() / (std::to_string(i) + ".kwbackup"));
    }
  }
  fs::path File(int i) const { return dir_.path() / (std::to_string(i) + ".kwbackup"); }

 private:
  TempFolder dir_;
};

template <bool kFirstSectionOnly>
void BM_ReadCatalogue(benchmark::State& state) {
  const Catalogue catalogue;
  for (auto _ : state) {
    std::size_t total = 0;
    for (int i = 0; i < kDescriptors; ++i) {
      const platform::IniDocument doc = kFirstSectionOnly
                                            ? platform::LoadIniSection(catalogue.File(i), "Ogolne")
                                            : platform::LoadIni(catalogue.File(i));
      total += doc.Find("Ogolne", "Nazwa")->size() + doc.Find("Ogolne", "Data")->size();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadCatalogue<true>)->Name("BM_Read1000Descriptors/FirstSectionOnly")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCatalogue<false>)->Name("BM_Read1000Descriptors/Whole")
    ->Unit(benchmark::kMillisecond);

}  // namespace
