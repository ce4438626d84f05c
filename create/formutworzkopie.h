#pragma once
// The create-archive dialog: its two pages (settings and summary with the build's log).
// The main window clears Activated before each showing and reads ArchiveCreated after it.
#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class TFormTworzKopie;
}
namespace kw {
struct KWPlusFile;
}

class TFormTworzKopie : public QDialog {
  Q_OBJECT

 public:
  explicit TFormTworzKopie(QWidget* parent = nullptr);
  ~TFormTworzKopie() override;

  bool Activated = false;
  std::string CurrentDataFile;
  int Page = 1;
  bool Building = false;
  bool StopRequested = false;
  bool ArchiveCreated = false;
  kw::KWPlusFile* CurrentFile = nullptr;

 private:
  void SpeedButton1Click();

  std::unique_ptr<Ui::TFormTworzKopie> ui;
};
