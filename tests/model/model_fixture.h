#pragma once
// A fake machine for model tests: a temporary folder holding drive C: (the user's disk)
// and drive E: (the USB stick with the program at E:\Kopie\ArchiwumKW.exe), a file system
// over that drive map, and a KWPlus made on it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "model/kwplus.h"
#include "platform/file_system.h"

namespace kw::test {

namespace fs = std::filesystem;

// A folder of its own for each test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() /
            ("kw_model_" + std::to_string(rd()) + "_" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

inline void WriteBytes(const fs::path& file, std::string_view bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const fs::path& file) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::ifstream in(file, std::ios::binary);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

// A file of `size` bytes that takes no disk space.
inline void MakeSparseFile(const fs::path& file, std::uintmax_t size) {
  fs::create_directories(file.parent_path());
  { std::ofstream out(file, std::ios::binary | std::ios::trunc); }
  fs::resize_file(file, size);
}

class FakeMachine {
 public:
  FakeMachine() {
    fs::create_directories(C());
    fs::create_directories(E());
    platform::DriveMap map;
    map.Map('C', C());
    map.Map('E', E());
    files_ = std::make_unique<platform::FileSystem>(std::move(map));
  }

  fs::path C() const { return dir_.Path() / "drive_c"; }
  fs::path E() const { return dir_.Path() / "drive_e"; }
  platform::FileSystem& Fs() { return *files_; }

  KWPlusSetup Setup() {
    KWPlusSetup setup;
    setup.fs = files_.get();
    setup.executablePath = "E:\\Kopie\\ArchiwumKW.exe";
    setup.roamingAppDataFolder = "C:\\users\\jan\\AppData\\Roaming";
    setup.localAppDataFolder = "C:\\users\\jan\\AppData\\Local";
    setup.systemRoots.sys = dir_.Path() / "sys";
    setup.systemRoots.mounts = dir_.Path() / "mounts";
    setup.systemRoots.dev = dir_.Path() / "dev";
    return setup;
  }

 private:
  TempDir dir_;
  std::unique_ptr<platform::FileSystem> files_;
};

// A fake machine with its KWPlus, for test fixtures.
class ModelTest : public ::testing::Test {
 protected:
  ModelTest() : model_(machine_.Setup()) {}
  FakeMachine machine_;
  KWPlus model_;
};

}  // namespace kw::test
