#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "fs_test_support.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// A Wine prefix with c: -> ../drive_c, d: -> a data folder, z: -> /, and links that are
// not drives or lead nowhere.
class WinePrefixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_.Folder("prefix/drive_c/users");
    tmp_.Folder("data");
    tmp_.Folder("prefix/dosdevices");
    const fs::path devices = tmp_ / "prefix/dosdevices";
    fs::create_directory_symlink("../drive_c", devices / "c:");
    fs::create_directory_symlink(tmp_ / "data", devices / "D:");
    fs::create_directory_symlink("/", devices / "z:");
    fs::create_symlink("/dev/null", devices / "c::");
    fs::create_directory_symlink("../missing", devices / "e:");
    fs::create_directory_symlink("/", devices / "com1");
  }
  TempFolder tmp_;
};

TEST_F(WinePrefixTest, ReadsTheDriveLinks) {
  const DriveMap map = DriveMap::FromWinePrefix(tmp_ / "prefix");
  EXPECT_EQ(map.Letters(), (std::vector<char>{'C', 'D', 'Z'}));
  EXPECT_EQ(map.HostFolderOf('c'), fs::canonical(tmp_ / "prefix/drive_c"));
  EXPECT_EQ(map.HostFolderOf('D'), fs::canonical(tmp_ / "data"));
  EXPECT_EQ(map.HostFolderOf('Z'), fs::path("/"));
  EXPECT_FALSE(map.HostFolderOf('E'));
}

TEST_F(WinePrefixTest, EnvironmentPrefixIsUsed) {
  const char* old = std::getenv("WINEPREFIX");
  const std::string saved = old ? old : "";
  ::setenv("WINEPREFIX", (tmp_ / "prefix").c_str(), 1);
  const DriveMap map = DriveMap::FromEnvironment();
  ::setenv("WINEPREFIX", (tmp_ / "no-such-prefix").c_str(), 1);
  const DriveMap without = DriveMap::FromEnvironment();
  if (old) ::setenv("WINEPREFIX", saved.c_str(), 1); else ::unsetenv("WINEPREFIX");

  // Removable media mounted on this machine may add letters from D: on; these stay.
  EXPECT_EQ(map.HostFolderOf('C'), fs::canonical(tmp_ / "prefix/drive_c"));
  EXPECT_EQ(map.HostFolderOf('D'), fs::canonical(tmp_ / "data"));
  EXPECT_EQ(map.HostFolderOf('Z'), fs::path("/"));
  EXPECT_FALSE(without.HostFolderOf('C'));
  EXPECT_EQ(without.HostFolderOf('Z'), fs::path("/"));
}

TEST(DriveMapTest, ToWindowsTakesTheLongestMappedFolder) {
  DriveMap map;
  map.Map('z', "/");
  map.Map('C', "/home/jan/.wine/drive_c");
  map.Map('E', "/media/jan/KW/");
  struct Row {
    const char* host;
    std::optional<std::string> windows;
  };
  const Row rows[] = {
      {"/home/jan/.wine/drive_c/users/jan/Zdjęcia", "C:\\users\\jan\\Zdjęcia"},
      {"/home/jan/.wine/drive_c", "C:\\"},
      {"/home/jan/.wine/drive_c/", "C:\\"},
      {"/home/jan/.wine/drive_cx/a", "Z:\\home\\jan\\.wine\\drive_cx\\a"},
      {"/media/jan/KW/Kopie/ArchiwumKW.exe", "E:\\Kopie\\ArchiwumKW.exe"},
      {"/media/jan/KW/a/../b", "E:\\b"},
      {"/etc/hosts", "Z:\\etc\\hosts"},
      {"/", "Z:\\"},
  };
  for (const Row& row : rows) EXPECT_EQ(map.ToWindows(row.host), row.windows) << row.host;

  map.Unmap('Z');
  EXPECT_EQ(map.ToWindows("/etc/hosts"), std::nullopt);
  EXPECT_EQ(map.Letters(), (std::vector<char>{'C', 'E'}));
}

}  // namespace
}  // namespace platform
