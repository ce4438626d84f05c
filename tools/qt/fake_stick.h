#pragma once
// A temporary "USB stick" for the window tests and the screenshots: drive E: mapped to a
// temporary folder holding the program, its config.ini and its descriptors, mounted (in a
// fake mount table and sysfs tree) from a disk on the USB bus or on an internal SATA port.
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/dialog_service.h"
#include "app/formstart.h"
#include "app/oprogramieunit.h"
#include "create/formutworzkopie.h"
#include "model/kwplus.h"
#include "platform/code_page.h"
#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "restore/formodtworzdane.h"
#include "search/formszukaj.h"
#include "tools/demo_catalogue.h"

// Records what the windows would show and answers the task dialog as told.
class RecordingDialogs : public kwui::DialogService {
 public:
  RecordingDialogs() { kwui::SetDialogs(this); }
  ~RecordingDialogs() override { kwui::SetDialogs(nullptr); }
  RecordingDialogs(const RecordingDialogs&) = delete;
  RecordingDialogs& operator=(const RecordingDialogs&) = delete;

  void ShowMessage(QWidget*, const QString& text) override { messages.append(text); }
  void ShowException(QWidget*, const QString& text) override { exceptions.append(text); }
  kwui::MessageAnswer AskYesNoCancel(QWidget*, const QString&, const QString& text) override {
    messages.append(text);
    return kwui::MessageAnswer::kCancel;
  }
  kwui::TaskDialogResult ExecuteTaskDialog(QWidget*,
                                           const kwui::TaskDialogContent& content) override {
    taskDialogs.append(content);
    return taskAnswer;
  }
  bool Open(const QString& target) override {
    opened.append(target);
    return true;
  }

  QStringList messages;
  QStringList exceptions;
  QList<kwui::TaskDialogContent> taskDialogs;
  QStringList opened;
  kwui::TaskDialogResult taskAnswer;
};

class FakeStick {
 public:
  enum class Bus { kSata, kUsb };

  // The stick's disk: an internal SATA disk unless told otherwise; `removable` is the
  // kernel's removable flag (a USB hard disk reports itself fixed).
  explicit FakeStick(Bus bus = Bus::kSata, bool removable = false) {
    namespace fs = std::filesystem;
    const fs::path root = dir_.path().toStdString();
    stick_ = root / "stick";
    fs::create_directories(stick_);
    fs::create_directories(root / "c" / "AppData" / "Roaming");
    fs::create_directories(root / "c" / "AppData" / "Local");
    const std::string parent =
        bus == Bus::kUsb
            ? "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block"
            : "devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block";
    const fs::path disk = root / "sys" / parent / "sdb";
    fs::create_directories(disk / "sdb1");
    std::ofstream(disk / "removable") << (removable ? "1\n" : "0\n");
    std::ofstream(disk / "sdb1" / "partition") << "1\n";
    fs::create_directories(root / "sys" / "class" / "block");
    fs::create_directory_symlink("../../" + parent + "/sdb", root / "sys/class/block/sdb");
    fs::create_directory_symlink("../../" + parent + "/sdb/sdb1",
                                 root / "sys/class/block/sdb1");
    fs::create_directories(root / "dev");
    std::ofstream(root / "dev" / "sdb").flush();
    std::ofstream(root / "dev" / "sdb1").flush();
    std::ofstream(root / "mounts") << "/dev/sdb1 " << stick_.string() << " vfat rw 0 0\n";
    platform::DriveMap map;
    map.Map('E', stick_);
    map.Map('C', root / "c");
    fs_ = std::make_unique<platform::FileSystem>(map);
    kw::KWPlusSetup setup;
    setup.fs = fs_.get();
    setup.executablePath = "E:\\ArchiwumKW.exe";
    setup.roamingAppDataFolder = "C:\\AppData\\Roaming";
    setup.localAppDataFolder = "C:\\AppData\\Local";
    setup.systemRoots = {root / "sys", root / "mounts", root / "dev"};
    model_ = std::make_unique<kw::KWPlus>(setup);
  }

  std::filesystem::path Folder() const { return stick_; }
  std::filesystem::path ArchiveFolder() const { return stick_ / "ArchiwumKW"; }
  std::filesystem::path FilesFolder() const { return stick_ / "ArchiwumKW" / "files"; }
  std::filesystem::path ConfigFile() const { return stick_ / "config.ini"; }
  kw::KWPlus& Model() { return *model_; }
  platform::FileSystem& Fs() { return *fs_; }

  // config.ini as the profile functions write it: in the ANSI code page.
  void WriteConfig(const std::string& utf8) {
    std::ofstream(ConfigFile(), std::ios::binary | std::ios::trunc)
        << platform::Utf8ToCodePage(utf8, platform::CodePage::kAnsi);
  }
  std::string ReadConfig() const {
    std::ifstream in(ConfigFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // A descriptor and, when `withArchive`, its archive file.
  void AddArchive(const kwdemo::DescriptorSpec& d, bool withArchive = true) {
    kwdemo::WriteDescriptorFile(ArchiveFolder(), d);
    if (withArchive) std::ofstream(FilesFolder() / (d.id + ".zip"), std::ios::binary) << "PK";
  }

 private:
  QTemporaryDir dir_;
  std::filesystem::path stick_;
  std::unique_ptr<platform::FileSystem> fs_;
  std::unique_ptr<kw::KWPlus> model_;
};

// The five windows as the entry creates them, on a fake stick.
class Windows {
 public:
  explicit Windows(FakeStick& stick, std::string exePath = "E:\\ArchiwumKW.exe")
      : main(stick.Model(), std::move(exePath)),
        restore(&main),
        create(&main),
        search(&create),
        about(&main) {
    main.SetForms(&restore, &create, &search, &about);
    main.SetTerminate([this] { ++terminated; });
  }
  int terminated = 0;  // how often a refused start ended the application
  TFormMain main;
  TFormOdtworzDaneZKopii restore;
  TFormTworzKopie create;
  TFormSzukajPlikow search;
  TFormOprogramie about;
};

inline kwdemo::DescriptorSpec Archive(int n, const std::string& nazwa, int year, int month = 6,
                                      int day = 15) {
  kwdemo::DescriptorSpec d;
  d.id = kwdemo::DemoId(n);
  d.nazwa = nazwa;
  d.plik = "C:\\Dane\\Rodzina.kw";
  d.liczbaOsob = 100 + n;
  d.year = year;
  d.month = month;
  d.day = day;
  return d;
}
