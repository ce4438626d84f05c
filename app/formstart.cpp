#include "app/formstart.h"

#include <QCloseEvent>
#include <QCheckBox>
#include <QCollator>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <climits>

#include "app/dialog_service.h"
#include "app/oprogramieunit.h"
#include "app/widgets/artwork.h"
#include "app/widgets/directory_edit.h"
#include "app/widgets/look.h"
#include "app/widgets/sort_arrows.h"
#include "create/formutworzkopie.h"
#include "model/kwplus.h"
#include "model/path_text.h"
#include "platform/format.h"
#include "platform/ini_file.h"
#include "restore/formodtworzdane.h"
#include "search/formszukaj.h"
#include "ui_formstart.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

constexpr char kSection[] = "Ogolne";

const QString kRefusedMessage = QStringLiteral(
    "Program może być tylko uruchomiony z pamięci lub dysku USB!\n\n"
    "Plik ArchiwumKW.exe należy przenieść lub skopiować na pamięć lub dysk USB do dowolnego "
    "folderu.");

// Group titles compare as the user's locale does, ignoring letter case.
QCollator GroupCollator() {
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

}  // namespace

TFormMain::TFormMain(kw::KWPlus& model, std::string exePath, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TFormMain>()), model_(model) {
  ui->setupUi(this);
  ProgramVersion = "1.0.2.0";
  // The error mode of the original only silenced system boxes for empty drives; the
  // platform layer never raises such boxes on Linux.
  kwui::SetApplicationTitle(QStringLiteral("Archiwum KW - Archiwum Kronik Wieków"));
  setWindowTitle(QStringLiteral("Archiwum KW v.") + Q(ProgramVersion));
  ExePath = std::move(exePath);
  ConfigPath = kw::ExtractFilePath(ExePath) + "config.ini";
  UpdatePath = kw::ChangeFileExt(ExePath, ".update");
  OldPath = kw::ChangeFileExt(ExePath, ".old");
  FirstActivation = true;

  BuildPopupMenu1();
  BuildListColumns();
  ApplyLook();

  connect(ui->Wyjciezprogramu1, &QAction::triggered, this, &TFormMain::Wyjciezprogramu1Click);
  connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFormMain::SpeedButton1Click);
  connect(ui->Oprogramie1, &QAction::triggered, this, &TFormMain::Oprogramie1Click);
  connect(popupMenu1_, &QMenu::triggered, this, &TFormMain::Rok1Click);
  connect(ui->ListViewProjekty, &kwui::GroupedListView::ColumnClick, this,
          &TFormMain::ListViewProjektyColumnClick);
  connect(ui->ListViewProjekty, &kwui::GroupedListView::SelectItem, this,
          &TFormMain::ListViewProjektySelectItem);
  connect(ui->AdvGlowButton2, &QPushButton::clicked, this, &TFormMain::AdvGlowButton2Click);
  connect(ui->AdvGlowButtonOdtworzDane, &QPushButton::clicked, this,
          &TFormMain::AdvGlowButtonOdtworzDaneClick);
  connect(ui->AdvGlowButtonUsun, &QPushButton::clicked, this, &TFormMain::AdvGlowButtonUsunClick);
}

TFormMain::~TFormMain() = default;

void TFormMain::SetForms(TFormOdtworzDaneZKopii* restore, TFormTworzKopie* create,
                         TFormSzukajPlikow* search, TFormOprogramie* about) {
  formOdtworz_ = restore;
  formTworz_ = create;
  formSzukaj_ = search;
  formOprogramie_ = about;
}

void TFormMain::BuildPopupMenu1() {
  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  struct Item {
    const char* name;
    const char* caption;  // nullptr for a separator
    int tag;
  };
  static const Item items[] = {
      {"Nazwy1", "Brak grupowania", kw::kGroupNone},
      {"N1", nullptr, 0},
      {"Nazwa1", "Nazwa archiwum", kw::kGroupByName},
      {"N2", nullptr, 0},
      {"Datautworzeniapenadata1", "Data utworzenia: pełna data", kw::kGroupByDate},
      {"Datautworzeniamiesicirok1", "Data utworzenia: rok i miesiąc", kw::kGroupByMonth},
      {"Datautworzeniarook1", "Data utworzenia: rok", kw::kGroupByYear},
      {"N3", nullptr, 0},
      {"Rok1", "Nazwa pliku KW", kw::kGroupByDataFile},
  };
  for (const Item& item : items) {
    QAction* action = item.caption ? popupMenu1_->addAction(QString::fromUtf8(item.caption))
                                   : popupMenu1_->addSeparator();
    action->setObjectName(QString::fromLatin1(item.name));
    if (item.caption) action->setData(item.tag);
  }
  ui->ButtonGrupowanie->SetDropDownMenu(popupMenu1_);
}

void TFormMain::BuildListColumns() {
  const auto right = Qt::AlignRight;
  const auto left = Qt::AlignLeft;
  ui->ListViewProjekty->SetColumns({
      {QString(), -1, 0, left},
      {QStringLiteral("LP"), -1, 40, right},
      {QStringLiteral("Nazwa archiwum"), 0, 120, left},
      {QStringLiteral("Data utworzenia"), 1, 120, right},
      {QStringLiteral("Osoby"), 2, 50, right},
      {QStringLiteral("Związki"), 3, 50, right},
      {QStringLiteral("Rozmiar"), 4, 60, right},
      {QStringLiteral("Plik KW"), 5, 50, right},
      {QStringLiteral("Pliki"), 6, 50, right},
      {QStringLiteral("Komentarz"), 7, 140, left},
      {QStringLiteral("Nazwa pliku KW"), 8, 140, left},
  });
}

void TFormMain::ApplyLook() {
  setWindowIcon(kwui::ProgramIcon());
  setFont(kwui::DesignFont(11));
  kwui::StyleHeaderTitle(ui->HTMLabel2);
  ui->Label2->setFont(kwui::DesignFont(13));
  kwui::StyleFooter(ui->HTMLabel3);
  // Single fixed border, no maximise; the client area keeps the design size unless the
  // desktop's font needs more room.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  ui->AdvPanel2->setMinimumSize(890, 588);
  ui->AdvPanel2->layout()->activate();
  adjustSize();
  setFixedSize(sizeHint().expandedTo(QSize(890, 588)));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  ui->AdvGlowButtonUsun->setEnabled(false);
  ui->AdvGlowButtonOdtworzDane->setEnabled(false);
}

bool TFormMain::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QMainWindow::event(event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
  // A refused start ends the program without the close handler.
  if (!refused_) FormClose();
  event->accept();
}

bool TFormMain::FormActivate() {
  kwui::MoveTopEdge(this, 60);
  if (refused_) return false;
  if (!FirstActivation) return true;

  platform::FileSystem& fs = model_.Fs();
  if (fs.FileExists(OldPath)) (void)fs.DeleteFile(OldPath);  // a failure is not reported
  LoadSettings();

  if (model_.IsOnUsbDrive(ExePath) || LoadFromHdd) {
    ReloadCatalogue();
    FirstActivation = false;
    for (QAction* item : popupMenu1_->actions()) {
      if (!item->isSeparator() && item->data().toInt() == model_.GroupMode) {
        ui->ButtonGrupowanie->SetCaption(item->text());
        break;
      }
    }
    FillCatalogueList();
    return true;
  }

  refused_ = true;
  kwui::Dialogs().ShowMessage(this, kRefusedMessage);
  SaveSettings();
  hide();
  if (terminate_) {
    terminate_();
  } else {
    // Ends the message loop once it runs, without closing the windows (no FormClose).
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  }
  return false;
}

void TFormMain::FormClose() { SaveSettings(); }

void TFormMain::Wyjciezprogramu1Click() { close(); }

void TFormMain::SpeedButton1Click() { close(); }

void TFormMain::Oprogramie1Click() {
  if (formOprogramie_) formOprogramie_->exec();
}

void TFormMain::LoadSettings() {
  const platform::IniFile ini(ConfigPath, model_.Fs());
  model_.SetGroupMode(ini.ReadInteger(kSection, "GrupowanieKolumna", kw::kGroupByDate));
  const std::string folderGlowny = ini.ReadString(kSection, "FolderGlowny", "");
  const std::string folder = ini.ReadString(kSection, "Folder", "");
  LoadFromHdd = ini.ReadBool(kSection, "LoadFromHDD", false);
  const std::string multimedia = ini.ReadString(kSection, "Multimedia", "");
  const bool grupuj = ini.ReadBool(kSection, "MultimediaGrupuj", true);
  const bool zastap = ini.ReadBool(kSection, "MultimediaZastap", false);
  model_.SetMaxFileSizeMB(ini.ReadInteger(kSection, "MultimediaPominSize", 20));
  const bool przywroc = ini.ReadBool(kSection, "MultimediaSzukajPrzywroc", true);

  if (formOdtworz_) {
    formOdtworz_->AdvDirectoryEditFolder()->setText(Q(folderGlowny));
    formOdtworz_->AdvEditFolder()->setText(Q(folder));
    formOdtworz_->AdvEditMultimedia()->setText(Q(multimedia));
    formOdtworz_->AdvOfficeCheckBoxZachowajFolder()->setChecked(grupuj);
    formOdtworz_->AdvOfficeCheckBoxZastap()->setChecked(zastap);
  }
  if (formSzukaj_) {
    // The two buttons are exclusive: checking one unchecks the other.
    if (przywroc) {
      formSzukaj_->AdvOfficeRadioButtonPrzywroc()->setChecked(true);
    } else {
      formSzukaj_->AdvOfficeRadioButtonUzyjKopii()->setChecked(true);
    }
  }
}

void TFormMain::SaveSettings() {
  try {
    platform::IniFile ini(ConfigPath, model_.Fs());
    ini.WriteInteger(kSection, "GrupowanieKolumna", model_.GroupMode);
    if (formOdtworz_) {
      ini.WriteString(kSection, "FolderGlowny", S(formOdtworz_->AdvDirectoryEditFolder()->text()));
      ini.WriteString(kSection, "Folder", S(formOdtworz_->AdvEditFolder()->text()));
      ini.WriteString(kSection, "Multimedia", S(formOdtworz_->AdvEditMultimedia()->text()));
      ini.WriteBool(kSection, "MultimediaGrupuj",
                    formOdtworz_->AdvOfficeCheckBoxZachowajFolder()->isChecked());
      ini.WriteBool(kSection, "MultimediaZastap",
                    formOdtworz_->AdvOfficeCheckBoxZastap()->isChecked());
    }
    ini.WriteInteger(kSection, "MultimediaPominSize", model_.MaxFileSizeMB());
    if (formSzukaj_) {
      ini.WriteBool(kSection, "MultimediaSzukajPrzywroc",
                    formSzukaj_->AdvOfficeRadioButtonPrzywroc()->isChecked());
    }
    // All keys in one write, so a pulled stick never leaves half a settings file.
    ini.SaveAtomically();
  } catch (const platform::IniWriteError&) {
    // A read-only or full medium: the program carries on with the values in memory.
  }
}

void TFormMain::ReloadCatalogue() {
  // The catalogue shows what is on the drive now, also descriptors copied there by hand
  // while the program runs (the file system caches folder listings).
  model_.Fs().InvalidateCache();
  model_.ClearCatalogue();
  std::vector<std::string> names;
  const std::string folder = model_.ArchiveFolder();
  model_.ListFiles(folder, names, model_.DescriptorExt());
  for (const std::string& name : names) model_.LoadCatalogueEntry(folder + name);
  model_.SortCatalogue(1, true);
}

void TFormMain::FillCatalogueList() {
  kwui::GroupedListView* list = ui->ListViewProjekty;
  const std::int32_t mode = model_.GroupMode;
  const bool grouped = mode != kw::kGroupNone;

  list->ClearAll();
  ui->AdvGlowButtonUsun->setEnabled(false);
  ui->AdvGlowButtonOdtworzDane->setEnabled(false);
  list->SetGroupView(grouped);

  const QCollator collator = GroupCollator();
  QStringList titles;
  if (grouped) {
    // Sorted, each key once (letter case ignored); the first form met is kept.
    for (std::int32_t i = 0; i < model_.Count(); ++i) {
      const QString key = Q(kw::KWPlus::GroupKey(model_.Item(i), mode, true));
      const auto at = std::lower_bound(titles.begin(), titles.end(), key,
                                       [&](const QString& a, const QString& b) {
                                         return collator.compare(a, b) < 0;
                                       });
      if (at == titles.end() || collator.compare(*at, key) != 0) titles.insert(at, key);
    }
    if (mode == kw::kGroupByDate || mode == kw::kGroupByMonth || mode == kw::kGroupByYear) {
      // Newest date first: the sortable prefix orders the keys as plain text.
      std::sort(titles.begin(), titles.end(),
                [](const QString& a, const QString& b) { return QString::compare(a, b) > 0; });
      for (QString& title : titles) {
        const qsizetype hash = title.indexOf(QLatin1Char('#'));
        if (hash >= 0) title = title.mid(hash + 1, 1000);
      }
    }
  } else {
    titles.append(QStringLiteral("?"));
  }

  for (qsizetype g = 0; g < titles.size(); ++g) {
    QTreeWidgetItem* group =
        grouped ? list->AddGroup(titles[g], static_cast<int>(g) + 1) : nullptr;
    std::int32_t number = 1;
    for (std::int32_t i = 0; i < model_.Count(); ++i) {
      if (grouped &&
          collator.compare(Q(kw::KWPlus::GroupKey(model_.Item(i), mode, false)), titles[g]) != 0) {
        continue;
      }
      kw::CatalogueRow row;
      model_.FillListItem(number, i, row);
      QStringList cells{Q(row.Caption)};
      for (const std::string& text : row.SubItems) cells.append(Q(text));
      list->AddRow(group, cells, row.Data);
      ++number;
    }
  }

  for (int c = 0; c < list->columnCount(); ++c) {
    const int tag = list->ColumnTag(c);
    list->SetColumnImage(c, tag >= 0 && tag == model_.SortColumn
                                ? kwui::SortArrow(model_.SortAscending)
                                : QIcon());
  }
  ShowFreeSpace();
}

void TFormMain::ShowFreeSpace() {
  const std::string folder = kw::ExtractFilePath(ExePath);
  const std::optional<platform::DiskSpace> space =
      freeSpace_ ? freeSpace_(folder) : model_.Fs().FreeSpace(folder);
  kwui::ColourProgressBar* bar = ui->AdvProgressBar1;
  if (!space || space->totalBytes == 0) {
    // The drive's sizes cannot be read: an empty bar and no figures.
    bar->setRange(0, 1);
    bar->setValue(0);
    ui->Label3->setText(QStringLiteral("?"));
    return;
  }
  const std::uint64_t total = space->totalBytes;
  const std::uint64_t free = std::min(space->freeBytes, total);
  // Kibibytes as designed; larger drives are counted in larger units so the bar's int holds.
  std::uint64_t maximum = total / 1024;
  std::uint64_t position = free / 1024;
  while (maximum > static_cast<std::uint64_t>(INT_MAX)) {
    maximum /= 2;
    position /= 2;
  }
  bar->setRange(0, static_cast<int>(maximum));
  bar->setValue(static_cast<int>(position));

  const std::uint64_t percent = free * 100 / total;  // no overflow below 184 PB
  if (percent > 20) {
    bar->SetFillColour(QColor(0, 255, 0));
  } else if (percent >= 10) {
    bar->SetFillColour(QColor(255, 255, 0));
  } else {
    bar->SetFillColour(QColor(255, 0, 0));
  }
  const double gib = 1024.0 * 1024.0 * 1024.0;
  const platform::FormatSettings& fmt = platform::UserFormatSettings();
  ui->Label3->setText(Q(platform::FormatFloat("0.## GB", static_cast<double>(free) / gib, fmt) +
                        platform::FormatFloat(" wolnych z 0.## GB",
                                              static_cast<double>(total) / gib, fmt)));
}

void TFormMain::Rok1Click(QAction* item) {
  ui->ButtonGrupowanie->SetCaption(item->text());
  model_.SetGroupMode(item->data().toInt());
  FillCatalogueList();
}

void TFormMain::ListViewProjektyColumnClick(int column) {
  const int tag = ui->ListViewProjekty->ColumnTag(column);
  if (tag == -1) return;
  model_.SortCatalogue(tag, false);
  FillCatalogueList();
}

void TFormMain::ListViewProjektySelectItem(QTreeWidgetItem* /*item*/, bool selected) {
  ui->AdvGlowButtonUsun->setEnabled(selected);
  ui->AdvGlowButtonOdtworzDane->setEnabled(selected);
}

void TFormMain::AdvGlowButton2Click() {
  if (!formTworz_) return;
  formTworz_->Activated = false;
  formTworz_->exec();
  if (formTworz_->ArchiveCreated) {
    ReloadCatalogue();
    FillCatalogueList();
  }
}

void TFormMain::AdvGlowButtonOdtworzDaneClick() {
  QTreeWidgetItem* row = ui->ListViewProjekty->SelectedRow();
  if (!row || !formOdtworz_) return;
  formOdtworz_->Project =
      static_cast<kw::KWPlusProjekt*>(const_cast<void*>(kwui::GroupedListView::RowData(row)));
  formOdtworz_->NeedsFill = true;
  formOdtworz_->exec();
}

kwui::TaskDialogContent TFormMain::DeleteQuestion() {
  kwui::TaskDialogContent question;
  question.title = kwui::ApplicationTitle();
  question.instruction = QStringLiteral("Czy chcesz usunąć wybrane archiwum?");
  question.icon = kwui::TaskDialogIcon::kQuestion;
  question.radioButtons = {{200, QStringLiteral("Nie.")},
                           {201, QStringLiteral("Tak. Chcę trwale usunąć wybrane archiwum.")}};
  question.customButtons = {{100, QStringLiteral("OK")}, {101, QStringLiteral("Anuluj")}};
  question.defaultButton = 101;
  question.footer = QStringLiteral("Wybrane archiwum zostanie trwale usunięte");
  question.footerIcon = kwui::TaskDialogIcon::kWarning;
  return question;
}

void TFormMain::AdvGlowButtonUsunClick() {
  QTreeWidgetItem* row = ui->ListViewProjekty->SelectedRow();
  if (!row) return;
  const auto* entry = static_cast<const kw::KWPlusProjekt*>(kwui::GroupedListView::RowData(row));
  if (!entry) return;

  const kwui::TaskDialogResult answer = kwui::Dialogs().ExecuteTaskDialog(this, DeleteQuestion());
  if (answer.button != 100 || answer.radioButton != 201) return;
  if (model_.DeleteArchive(*entry)) {
    ReloadCatalogue();
    FillCatalogueList();
  }
}
