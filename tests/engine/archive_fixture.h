#pragma once
// A temporary folder mapped to drive T: (and "/" to Z:) as the engine's default file
// system, with helpers for files, raw archive bytes and archivers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/zip_archiver.h"
#include "platform/file_system.h"

namespace engine::testing {

class ZipFixture : public ::testing::Test {
 public:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kwzipXXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    host_ = tmpl;
    platform::DriveMap map;
    map.Map('T', host_);
    map.Map('Z', "/");
    fs_ = std::make_unique<platform::FileSystem>(map);
    scope_ = std::make_unique<platform::ScopedDefaultFileSystem>(*fs_);
  }
  void TearDown() override {
    scope_.reset();
    fs_.reset();
    std::error_code ec;
    std::filesystem::remove_all(host_, ec);
  }

  // "a\\b.txt" -> "T:\\a\\b.txt"
  static std::string Win(const std::string& rel) { return "T:\\" + rel; }
  std::filesystem::path Host(std::string rel) const {
    for (char& c : rel) {
      if (c == '\\') c = '/';
    }
    return host_ / rel;
  }

  void Write(const std::string& rel, const std::string& bytes) {
    auto p = Host(rel);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    fs_->InvalidateCache();
  }
  std::string Read(const std::string& rel) const {
    std::error_code ec;
    const auto size = std::filesystem::file_size(Host(rel), ec);
    if (ec) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    std::ifstream in(Host(rel), std::ios::binary);
    in.read(out.data(), static_cast<std::streamsize>(out.size()));
    return out;
  }
  bool Exists(const std::string& rel) const { return std::filesystem::exists(Host(rel)); }

  static std::string Text(std::size_t n, unsigned seed = 1) {
    std::string s;
    std::mt19937 rng(seed);
    static const char* words[] = {"kronika ", "wieków ", "rodzina ", "osoba ", "zdjęcie ", "\n"};
    while (s.size() < n) s += words[rng() % 6];
    s.resize(n);
    return s;
  }
  static std::string Noise(std::size_t n, unsigned seed = 2) {
    std::string s(n, '\0');
    std::mt19937 rng(seed);
    for (char& c : s) c = static_cast<char>(rng());
    return s;
  }

  // An archiver set up as the create dialog sets it: no path, no recursion.
  std::unique_ptr<TZipArchiver> NewArchive(const std::string& rel, const std::string& password = {}) {
    auto z = std::make_unique<TZipArchiver>("ZipArchiver1");
    z->FileName = Win(rel);
    z->OpenArchive(TZipArchiver::kModeCreate);
    z->Options.Recurse = false;
    z->Options.StorePath = spNoPath;
    z->SetPassword(password);
    z->EncryptionMethod = caAES_128;
    return z;
  }
  std::unique_ptr<TZipArchiver> OpenRead(const std::string& rel) {
    auto z = std::make_unique<TZipArchiver>("OdtwarzanieDanych");
    z->FileName = Win(rel);
    z->OpenArchive(TZipArchiver::kModeRead);
    z->Options.Recurse = false;
    return z;
  }

  static std::uint16_t U16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b.at(at)) |
                                      (static_cast<std::uint8_t>(b.at(at + 1)) << 8));
  }
  static std::uint32_t U32(const std::string& b, std::size_t at) {
    return U16(b, at) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
  }

  std::filesystem::path host_;
  std::unique_ptr<platform::FileSystem> fs_;
  std::unique_ptr<platform::ScopedDefaultFileSystem> scope_;
};

}  // namespace engine::testing
