#pragma once
// The main window: start-up, the removable-drive rule, the settings file, the archive
// catalogue with its grouping, sorting and free-space display, and the main menu.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"

class QAction;
class QMenu;
class QTreeWidgetItem;

namespace Ui {
class TFormMain;
}
namespace kw {
class KWPlus;
}

namespace kwui {
struct TaskDialogContent;
}

class TFormOdtworzDaneZKopii;
class TFormTworzKopie;
class TFormSzukajPlikow;
class TFormOprogramie;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  // `exePath` is the running executable's Windows path; the program's files sit beside it.
  TFormMain(kw::KWPlus& model, std::string exePath, QWidget* parent = nullptr);
  ~TFormMain() override;

  // The other windows, created by the entry after this one.
  void SetForms(TFormOdtworzDaneZKopii* restore, TFormTworzKopie* create,
                TFormSzukajPlikow* search, TFormOprogramie* about);

  // Free and total bytes of the drive holding a path; the platform's by default.
  using FreeSpaceSource = std::function<std::optional<platform::DiskSpace>(const std::string&)>;
  void SetFreeSpaceSource(FreeSpaceSource source) { freeSpace_ = std::move(source); }
  // How a refused start ends the application; by default the message loop is told to end
  // (tests record it instead, since an ended loop cannot run again in one process).
  void SetTerminate(std::function<void()> terminate) { terminate_ = std::move(terminate); }

  std::string ProgramVersion;
  std::string ConfigPath;
  std::string ExePath;
  std::string UpdatePath;
  std::string OldPath;
  std::string UpdateUrl;
  bool LoadFromHdd = false;
  bool FirstActivation = true;

  void LoadSettings();
  void SaveSettings();
  void ReloadCatalogue();
  void FillCatalogueList();

  // The first activation's work; FormActivate runs it when the window is first shown.
  // Answers false when the program refused to run and has asked the application to quit.
  bool FormActivate();
  bool Refused() const { return refused_; }

  QMenu* PopupMenu1() const { return popupMenu1_; }

  // The delete confirmation (AdvTaskDialogPytanie): "OK" (100) with radio 201 deletes.
  static kwui::TaskDialogContent DeleteQuestion();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormClose();
  void Wyjciezprogramu1Click();
  void SpeedButton1Click();
  void Oprogramie1Click();
  void Rok1Click(QAction* item);
  void ListViewProjektyColumnClick(int column);
  void ListViewProjektySelectItem(QTreeWidgetItem* item, bool selected);
  void AdvGlowButton2Click();
  void AdvGlowButtonOdtworzDaneClick();
  void AdvGlowButtonUsunClick();

  void BuildPopupMenu1();
  void BuildListColumns();
  void ApplyLook();
  void ShowFreeSpace();

  std::unique_ptr<Ui::TFormMain> ui;
  kw::KWPlus& model_;
  FreeSpaceSource freeSpace_;
  std::function<void()> terminate_;
  QMenu* popupMenu1_ = nullptr;
  // The other windows live as long as this one (the entry owns them all).
  TFormOdtworzDaneZKopii* formOdtworz_ = nullptr;
  TFormTworzKopie* formTworz_ = nullptr;
  TFormSzukajPlikow* formSzukaj_ = nullptr;
  TFormOprogramie* formOprogramie_ = nullptr;
  bool refused_ = false;
  bool closingForRefusal_ = false;
};
