#include "platform/drives.h"

#include <gtest/gtest.h>

#include "fs_test_support.h"
#include "platform/mount_table.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// A fake machine: sysfs, /dev and a mount table under one temporary folder, and drive
// letters mapped to the mount points.
class FakeMachine {
 public:
  FakeMachine() : fs_(DriveMap()) {
    const std::string pci = "devices/pci0000:00/";
    AddDisk("sda", pci + "0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block", false, "sda2");
    AddDisk("sdb", pci + "0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block", true,
            "sdb1");
    AddDisk("sdc", pci + "0000:00:14.0/usb1/1-2/1-2:1.0/host7/target7:0:0/7:0:0:0/block", false,
            "sdc1");
    AddDisk("nvme0n1", pci + "0000:00:1d.0/0000:03:00.0/nvme/nvme0", false, "nvme0n1p1");
    AddDisk("sr0", pci + "0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block", true, "");
    // A USB stick below a controller whose folder is not named usbN: only the interface's
    // subsystem link tells.
    const std::string musb = "devices/platform/soc/musb-hdrc.1/bus-3/3-1";
    AddDisk("sdd", musb + "/3-1:1.0/host8/target8:0:0/8:0:0:0/block", true, "sdd1");
    tmp_.Folder("sys/bus/usb");
    fs::create_directory_symlink("../../../../../../bus/usb",
                                 tmp_ / ("sys/" + musb + "/subsystem"));
    // An encrypted volume on the USB stick's partition.
    tmp_.Folder("sys/devices/virtual/block/dm-0/slaves");
    fs::create_directory_symlink("../../../../pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/"
                                 "target6:0:0/6:0:0:0/block/sdb/sdb1",
                                 tmp_ / "sys/devices/virtual/block/dm-0/slaves/sdb1");
    fs::create_directory_symlink("../../devices/virtual/block/dm-0", tmp_ / "sys/class/block/dm-0");
    tmp_.File("dev/dm-0", "");
    tmp_.Folder("dev/mapper");
    fs::create_symlink("../dm-0", tmp_ / "dev/mapper/tajne");

    tmp_.Folder("dev/disk/by-label");
    Label("System", "sda2");
    Label("KW", "sdb1");
    Label("Moje\\x20Dane", "sdc1");
    Label("FOTO", "sr0");

    const std::pair<char, const char*> drives[] = {
        {'C', "c"},       {'D', "cdrom"}, {'E', "media/KW"}, {'F', "media/USB Dysk"},
        {'G', "nvme"},    {'N', "net"},   {'P', "proc"},     {'R', "ram"},
        {'S', "media/tajne"}, {'U', "media/musb"}, {'M', "missing"}, {'Z', ""}};
    DriveMap map;
    for (const auto& [letter, folder] : drives) {
      if (letter != 'M') tmp_.Folder(folder);
      map.Map(letter, tmp_ / folder);
    }
    fs_ = FileSystem(map);

    const std::string root = tmp_.path().string();
    std::ofstream(tmp_ / "mounts")
        << "/dev/sda2 / ext4 rw,relatime 0 0\n"
        << "proc " << root << "/proc proc rw 0 0\n"
        << "/dev/sdb1 " << root << "/media/KW vfat rw 0 0\n"
        << "/dev/sdc1 " << root << "/media/USB\\040Dysk ext4 rw 0 0\n"
        << "/dev/nvme0n1p1 " << root << "/nvme ext4 rw 0 0\n"
        << "//server/share " << root << "/net cifs rw 0 0\n"
        << "/dev/sr0 " << root << "/cdrom iso9660 ro 0 0\n"
        << "tmpfs " << root << "/ram tmpfs rw 0 0\n"
        << "/dev/mapper/tajne " << root << "/media/tajne ext4 rw 0 0\n"
        << "/dev/sdd1 " << root << "/media/musb vfat rw 0 0\n"
        << "garbage\n";
  }

  SystemRoots Roots() const { return {tmp_ / "sys", tmp_ / "mounts", tmp_ / "dev"}; }
  DriveInfo Info() const { return DriveInfo(fs_, Roots()); }
  fs::path operator/(std::string_view relative) const { return tmp_ / relative; }

 private:
  void AddDisk(const std::string& disk, const std::string& parent, bool removable,
               const std::string& partition) {
    const std::string diskDir = "sys/" + parent + "/" + disk;
    tmp_.File(diskDir + "/removable", removable ? "1\n" : "0\n");
    tmp_.Folder("sys/class/block");
    fs::create_directory_symlink("../../" + parent + "/" + disk,
                                 tmp_ / ("sys/class/block/" + disk));
    tmp_.File("dev/" + disk, "");
    if (partition.empty()) return;
    tmp_.File(diskDir + "/" + partition + "/partition", "1\n");
    fs::create_directory_symlink("../../" + parent + "/" + disk + "/" + partition,
                                 tmp_ / ("sys/class/block/" + partition));
    tmp_.File("dev/" + partition, "");
  }
  void Label(const std::string& label, const std::string& device) {
    fs::create_symlink("../../" + device, tmp_ / "dev/disk/by-label" / label);
  }

  TempFolder tmp_;
  FileSystem fs_;
};

struct DriveRow {
  const char* name;
  const char* path;
  DriveType type;
  bool usb;
  std::optional<std::string> label;
};

class DriveInfoTest : public ::testing::TestWithParam<DriveRow> {
 protected:
  FakeMachine machine_;
};

TEST_P(DriveInfoTest, TypeLabelAndUsbBus) {
  const DriveRow& row = GetParam();
  const DriveInfo info = machine_.Info();
  EXPECT_EQ(info.TypeOf(row.path), row.type);
  EXPECT_EQ(info.IsOnUsbBus(row.path), row.usb);
  EXPECT_EQ(info.VolumeLabel(row.path), row.label);
}

INSTANTIATE_TEST_SUITE_P(
    FakeTrees, DriveInfoTest,
    ::testing::Values(
        DriveRow{"InternalSata", "C:\\", DriveType::kFixed, false, "System"},
        DriveRow{"UsbStick", "E:\\Kopie\\ArchiwumKW.exe", DriveType::kRemovable, true, "KW"},
        DriveRow{"UsbDiskReportingFixed", "F:", DriveType::kFixed, true, "Moje Dane"},
        DriveRow{"Nvme", "G:\\", DriveType::kFixed, false, ""},
        DriveRow{"NetworkMount", "N:\\", DriveType::kRemote, false, ""},
        DriveRow{"UncPath", "\\\\server\\share\\Kopie\\x.exe", DriveType::kRemote, false,
                 std::nullopt},
        DriveRow{"Cd", "D:\\", DriveType::kCdRom, false, "FOTO"},
        DriveRow{"RamDisk", "R:\\", DriveType::kRamDisk, false, ""},
        DriveRow{"VirtualFileSystem", "P:\\", DriveType::kUnknown, false, ""},
        DriveRow{"EncryptedOnUsbStick", "S:\\", DriveType::kRemovable, true, ""},
        DriveRow{"UsbBySubsystemLink", "U:\\", DriveType::kRemovable, true, ""},
        DriveRow{"LetterNotMapped", "Q:\\", DriveType::kNoRootDir, false, std::nullopt},
        DriveRow{"FolderMissing", "M:\\", DriveType::kNoRootDir, false, std::nullopt},
        DriveRow{"WholeHostLetterSeesTheStick", "Z:\\media\\kw\\Kopie\\ArchiwumKW.exe",
                 DriveType::kRemovable, true, "KW"},
        DriveRow{"EscapedMountPoint", "Z:\\MEDIA\\usb dysk\\nowy\\plik", DriveType::kFixed, true,
                 "Moje Dane"},
        DriveRow{"WholeHostLetterRoot", "Z:\\", DriveType::kFixed, false, "System"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(MapRemovableMediaTest, LettersForUsbAndRemovableVolumesFromD) {
  const FakeMachine machine;
  DriveMap map;
  map.Map('Z', "/");
  map.Map('D', machine / "c");
  map.Map('G', machine / "media/USB Dysk");  // already has a letter
  EXPECT_EQ(MapRemovableMedia(map, machine.Roots()), (std::vector<char>{'E', 'F', 'H', 'I'}));
  EXPECT_EQ(map.HostFolderOf('E'), machine / "media/KW");
  EXPECT_EQ(map.HostFolderOf('F'), machine / "cdrom");
  EXPECT_EQ(map.HostFolderOf('H'), machine / "media/tajne");
  EXPECT_EQ(map.HostFolderOf('I'), machine / "media/musb");
  // The stick's files now have its letter, and the drive part alone answers the USB test.
  EXPECT_EQ(map.ToWindows(machine / "media/KW/Kopie/ArchiwumKW.exe"),
            "E:\\Kopie\\ArchiwumKW.exe");
  const FileSystem fs(map);
  EXPECT_TRUE(DriveInfo(fs, machine.Roots()).IsOnUsbBus("E:"));
  EXPECT_TRUE(MapRemovableMedia(map, machine.Roots()).empty()) << "nothing twice";
}

TEST(DriveInfoLettersTest, LogicalDrivesInLetterOrder) {
  DriveMap map;
  map.Map('z', "/");
  map.Map('C', "/tmp");
  map.Map('E', "/media");
  const FileSystem fs(map);
  EXPECT_EQ(DriveInfo(fs).LogicalDriveStrings(),
            (std::vector<std::string>{"C:\\", "E:\\", "Z:\\"}));
}

TEST(MountTableTest, ParsesEscapesAndPicksTheLongestLastMount) {
  const auto table = ParseMountTable(
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sdb1 /media/Moje\\040Dane vfat rw 0 0\n"
      "too-short\n"
      "x relative ext4 rw 0 0\n"
      "/dev/sdc1 /media/Moje\\040Dane/ ext4 rw 0 0\n"
      "/dev/sdd1 /media/Moje ext4 rw 0 0\n");
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[1].mountPoint, "/media/Moje Dane");
  EXPECT_EQ(MountHolding(table, "/media/Moje Dane/x")->source, "/dev/sdc1") << "the later hides";
  EXPECT_EQ(MountHolding(table, "/media/Moje")->source, "/dev/sdd1");
  EXPECT_EQ(MountHolding(table, "/media/MojeX")->source, "/dev/sda1");
  EXPECT_FALSE(MountHolding({}, "/x"));
}

}  // namespace
}  // namespace platform
