// The USB-drive rule and the drive list over a fake sysfs, /dev and mount table.
#include <gtest/gtest.h>

#include <fstream>

#include "model_fixture.h"

namespace kw::test {
namespace {

// Drives: C: internal SATA, D: CD on SATA, E: USB stick, F: USB disk reporting fixed,
// K: CD drive on USB, N: network share, R: RAM disk; Q: not mapped.
class FakeDrives {
 public:
  FakeDrives() {
    const std::string pci = "devices/pci0000:00/";
    const std::string usb = pci + "0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block";
    AddDisk("sda", pci + "0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block", false, "sda1");
    AddDisk("sr0", pci + "0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block", true, "");
    AddDisk("sdb", usb, true, "sdb1");
    AddDisk("sdc", pci + "0000:00:14.0/usb1/1-2/1-2:1.0/host7/target7:0:0/7:0:0:0/block", false, "sdc1");
    AddDisk("sr1", pci + "0000:00:14.0/usb3/3-1/3-1:1.0/host8/target8:0:0/8:0:0:0/block", true, "");
    platform::DriveMap map;
    for (auto [letter, folder] : {std::pair{'C', "c"}, {'D', "cd"}, {'E', "stick"}, {'F', "usbdisk"},
                                  {'K', "usbcd"}, {'N', "net"}, {'R', "ram"}}) {
      fs::create_directories(Root() / folder);
      map.Map(letter, Root() / folder);
    }
    files_ = std::make_unique<platform::FileSystem>(std::move(map));
    const std::string root = Root().string();
    std::ofstream(Root() / "mounts") << "/dev/sda1 " << root << "/c ext4 rw 0 0\n"
                                     << "/dev/sr0 " << root << "/cd iso9660 ro 0 0\n"
                                     << "/dev/sdb1 " << root << "/stick vfat rw 0 0\n"
                                     << "/dev/sdc1 " << root << "/usbdisk ext4 rw 0 0\n"
                                     << "/dev/sr1 " << root << "/usbcd iso9660 ro 0 0\n"
                                     << "//server/share " << root << "/net cifs rw 0 0\n"
                                     << "tmpfs " << root << "/ram tmpfs rw 0 0\n";
  }

  KWPlusSetup Setup() {
    KWPlusSetup setup;
    setup.fs = files_.get();
    setup.executablePath = "E:\\Kopie\\ArchiwumKW.exe";
    setup.localAppDataFolder = "C:\\users\\jan\\AppData\\Local";
    setup.roamingAppDataFolder = "C:\\users\\jan\\AppData\\Roaming";
    setup.systemRoots = {Root() / "sys", Root() / "mounts", Root() / "dev"};
    return setup;
  }

 private:
  const fs::path& Root() const { return dir_.Path(); }
  void AddDisk(const std::string& disk, const std::string& parent, bool removable,
               const std::string& partition) {
    const fs::path diskDir = Root() / "sys" / parent / disk;
    WriteBytes(diskDir / "removable", removable ? "1\n" : "0\n");
    fs::create_directories(Root() / "sys/class/block");
    fs::create_directory_symlink("../../" + parent + "/" + disk, Root() / "sys/class/block" / disk);
    WriteBytes(Root() / "dev" / disk, "");
    if (partition.empty()) return;
    WriteBytes(diskDir / partition / "partition", "1\n");
    fs::create_directory_symlink("../../" + parent + "/" + disk + "/" + partition,
                                 Root() / "sys/class/block" / partition);
    WriteBytes(Root() / "dev" / partition, "");
  }

  TempDir dir_;
  std::unique_ptr<platform::FileSystem> files_;
};

TEST(Drives, UsbRuleAndDriveList) {
  FakeDrives machine;
  KWPlus model(machine.Setup());
  struct Row {
    const char* path;
    bool usb;
  };
  for (const Row& r : {Row{"E:\\Kopie\\ArchiwumKW.exe", true}, Row{"F:\\ArchiwumKW.exe", true},
                       Row{"C:\\Program Files\\ArchiwumKW.exe", false}, Row{"D:\\ArchiwumKW.exe", false},
                       Row{"K:\\ArchiwumKW.exe", false}, Row{"N:\\ArchiwumKW.exe", false},
                       Row{"R:\\ArchiwumKW.exe", false}, Row{"Q:\\ArchiwumKW.exe", false},
                       Row{"\\\\server\\share\\ArchiwumKW.exe", false}}) {
    EXPECT_EQ(model.IsOnUsbDrive(r.path), r.usb) << r.path;
  }
  EXPECT_TRUE(model.Drives(false).empty());  // nothing until the first refresh
  EXPECT_EQ(model.Drives(true),
            (std::vector<std::string>{"C:\\", "D:\\", "E:\\", "F:\\", "K:\\"}));
}

}  // namespace
}  // namespace kw::test
