#pragma once
// The restore dialog: the chosen archive's details, the restore method and target folders.
// The main window sets Project and NeedsFill before showing it; the settings file fills
// and reads back its folder fields and check boxes.
#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class TFormOdtworzDaneZKopii;
}
namespace kw {
struct KWPlusProjekt;
}
namespace kwui {
class DirectoryEdit;
}
class QCheckBox;
class QLineEdit;

class TFormOdtworzDaneZKopii : public QDialog {
  Q_OBJECT

 public:
  explicit TFormOdtworzDaneZKopii(QWidget* parent = nullptr);
  ~TFormOdtworzDaneZKopii() override;

  kw::KWPlusProjekt* Project = nullptr;
  bool NeedsFill = false;
  std::string ArchivePath;
  std::string DataFolder;
  std::string MultimediaFolder;
  std::string MonographFolder;
  std::string CurrentMember;
  std::string TargetName;
  bool Restoring = false;
  bool PasswordGiven = false;
  bool WrongPassword = false;

  // The fields the settings file fills.
  kwui::DirectoryEdit* AdvDirectoryEditFolder() const;
  QLineEdit* AdvEditFolder() const;
  QLineEdit* AdvEditMultimedia() const;
  QCheckBox* AdvOfficeCheckBoxZachowajFolder() const;
  QCheckBox* AdvOfficeCheckBoxZastap() const;

 private:
  void SpeedButton1Click();

  std::unique_ptr<Ui::TFormOdtworzDaneZKopii> ui;
};
