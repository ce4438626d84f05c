#include "platform/shell_folders.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

SpecialFolderEnvironment Jan(std::string config = "", std::string data = "") {
  return {"jan", "/home/jan", std::move(config), std::move(data)};
}

TEST(SpecialFoldersTest, InsideTheWinePrefix) {
  DriveMap map;
  map.Map('C', "/home/jan/.wine/drive_c");
  map.Map('Z', "/");
  const FileSystem fs(map);
  EXPECT_EQ(RoamingAppDataFolder(fs, Jan()), "C:\\users\\jan\\AppData\\Roaming");
  EXPECT_EQ(LocalAppDataFolder(fs, Jan()), "C:\\users\\jan\\AppData\\Local");
}

TEST(SpecialFoldersTest, WithoutAPrefixTheXdgFoldersThroughZ) {
  DriveMap map;
  map.Map('Z', "/");
  const FileSystem fs(map);
  EXPECT_EQ(RoamingAppDataFolder(fs, Jan()), "Z:\\home\\jan\\.config");
  EXPECT_EQ(LocalAppDataFolder(fs, Jan()), "Z:\\home\\jan\\.local\\share");
  EXPECT_EQ(RoamingAppDataFolder(fs, Jan("/srv/cfg/", "/srv/dane")), "Z:\\srv\\cfg");
  EXPECT_EQ(LocalAppDataFolder(fs, Jan("/srv/cfg/", "/srv/dane")), "Z:\\srv\\dane");
  // Relative XDG values do not count.
  EXPECT_EQ(RoamingAppDataFolder(fs, Jan("cfg", "dane")), "Z:\\home\\jan\\.config");
}

TEST(SpecialFoldersTest, EmptyWhenNoDriveHoldsThem) {
  DriveMap map;
  map.Map('E', "/media/jan/KW");
  const FileSystem fs(map);
  EXPECT_EQ(RoamingAppDataFolder(fs, Jan()), "");
  EXPECT_EQ(LocalAppDataFolder(fs, {"jan", "", "", ""}), "");
}

TEST(SpecialFoldersTest, ExecutablePathInWindowsForm) {
  DriveMap map;
  map.Map('Z', "/");
  const FileSystem fs(map);
  const std::string path = ExecutablePath(fs);
  EXPECT_EQ(path.rfind("Z:\\", 0), 0u) << path;
  EXPECT_NE(path.find("platform_tests"), std::string::npos) << path;
  EXPECT_EQ(ExecutablePath(FileSystem(DriveMap())), "");
}

}  // namespace
}  // namespace platform
