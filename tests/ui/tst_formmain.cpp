// The main window on a temporary USB stick: start-up rule, settings file, catalogue
// grouping, sorting, free space and delete, driven through the controls by their names.
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "app/application.h"
#include "app/widgets/colour_progress_bar.h"
#include "app/widgets/directory_edit.h"
#include "app/widgets/drop_down_button.h"
#include "app/widgets/grouped_list_view.h"
#include "platform/format.h"
#include "platform/ini_file.h"
#include "tools/qt/fake_stick.h"

namespace {

const QString kRefused = QStringLiteral(
    "Program może być tylko uruchomiony z pamięci lub dysku USB!\n\n"
    "Plik ArchiwumKW.exe należy przenieść lub skopiować na pamięć lub dysk USB do dowolnego "
    "folderu.");

// A control of the main window itself. The dialogs are children of the main window too and
// reuse some control names (AdvGlowButton2), so the search stays in its central widget.
template <typename T>
T Control(TFormMain& form, const char* name) {
  T found = form.centralWidget()->findChild<T>(QString::fromLatin1(name));
  if (!found) qFatal("no control %s", name);
  return found;
}

kwui::GroupedListView* List(TFormMain& form) {
  return Control<kwui::GroupedListView*>(form, "ListViewProjekty");
}

QStringList GroupHeaders(TFormMain& form) {
  QStringList headers;
  kwui::GroupedListView* list = List(form);
  for (int g = 0; g < list->GroupCount(); ++g) headers.append(list->GroupHeader(g));
  return headers;
}

// "LP:name" of each row in display order.
QStringList RowTexts(TFormMain& form) {
  QStringList rows;
  for (const QTreeWidgetItem* row : List(form)->Rows()) {
    rows.append(row->text(1) + QLatin1Char(':') + row->text(2));
  }
  return rows;
}

int ColumnOf(TFormMain& form, const QString& caption) {
  QTreeWidgetItem* head = List(form)->headerItem();
  for (int c = 0; c < head->columnCount(); ++c) {
    if (head->text(c) == caption) return c;
  }
  return -1;
}

void ClickHeader(TFormMain& form, const QString& caption) {
  QHeaderView* header = List(form)->header();
  const int column = ColumnOf(form, caption);
  QVERIFY(column >= 0);
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// The column captions that carry a sort image, with "^" or "v" for its direction.
QStringList SortImages(TFormMain& form) {
  QStringList marked;
  kwui::GroupedListView* list = List(form);
  for (int c = 0; c < list->columnCount(); ++c) {
    if (list->ColumnHasImage(c)) marked.append(list->headerItem()->text(c));
  }
  return marked;
}

class Thrower : public QObject {
 public:
  bool event(QEvent*) override { throw std::runtime_error("Nie można otworzyć pliku"); }
};

}  // namespace

class TestFormMain : public QObject {
  Q_OBJECT

 private slots:
  void init() { platform::SetUserFormatSettings(platform::PolishFormatSettings()); }

  void refusedStartWritesSettingsAndShowsMessage() {
    FakeStick stick;
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(!w.main.FormActivate());
    QVERIFY(w.main.Refused());
    QCOMPARE(dialogs.messages, QStringList{kRefused});

    const platform::IniFile ini("E:\\config.ini", stick.Fs());
    const std::vector<std::string> expectedKeys{
        "GrupowanieKolumna", "FolderGlowny", "Folder", "Multimedia", "MultimediaGrupuj",
        "MultimediaZastap", "MultimediaPominSize", "MultimediaSzukajPrzywroc"};
    QVERIFY(ini.Keys("Ogolne") == expectedKeys);
    QCOMPARE(ini.ReadString("Ogolne", "GrupowanieKolumna", "?"), std::string("300"));
    QCOMPARE(ini.ReadString("Ogolne", "FolderGlowny", "?"), std::string());
    QCOMPARE(ini.ReadString("Ogolne", "MultimediaGrupuj", "?"), std::string("1"));
    QCOMPARE(ini.ReadString("Ogolne", "MultimediaZastap", "?"), std::string("0"));
    QCOMPARE(ini.ReadString("Ogolne", "MultimediaPominSize", "?"), std::string("20"));
    QCOMPARE(ini.ReadString("Ogolne", "MultimediaSzukajPrzywroc", "?"), std::string("1"));

    QCOMPARE(w.terminated, 1);
    // The close handler does not run for a refused start: nothing is written again.
    std::filesystem::remove(stick.ConfigFile());
    w.main.close();
    QVERIFY(!std::filesystem::exists(stick.ConfigFile()));

    // Later activations neither ask again nor fill the catalogue.
    QVERIFY(!w.main.FormActivate());
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(List(w.main)->Rows().size(), 0);
  }

  void removableDriveRule_data() {
    QTest::addColumn<bool>("usb");
    QTest::addColumn<bool>("removable");
    QTest::addColumn<QString>("config");
    QTest::addColumn<bool>("runs");
    QTest::newRow("USB flash drive") << true << true << "" << true;
    QTest::newRow("USB disk reporting fixed") << true << false << "" << true;
    QTest::newRow("internal disk") << false << false << "" << false;
    QTest::newRow("internal disk, LoadFromHDD=1") << false << false
                                                  << "[Ogolne]\r\nLoadFromHDD=1\r\n" << true;
    QTest::newRow("internal disk, LoadFromHDD=0") << false << false
                                                  << "[ogolne]\r\nloadfromhdd=0\r\n" << false;
  }

  void removableDriveRule() {
    QFETCH(bool, usb);
    QFETCH(bool, removable);
    QFETCH(QString, config);
    QFETCH(bool, runs);
    FakeStick stick(usb ? FakeStick::Bus::kUsb : FakeStick::Bus::kSata, removable);
    if (!config.isEmpty()) stick.WriteConfig(config.toStdString());
    stick.AddArchive(Archive(1, "Kowalscy", 2015));
    RecordingDialogs dialogs;
    Windows w(stick);
    QCOMPARE(w.main.FormActivate(), runs);
    QCOMPARE(dialogs.messages, runs ? QStringList() : QStringList{kRefused});
    QCOMPARE(List(w.main)->Rows().size(), runs ? 1 : 0);
    QCOMPARE(w.main.FirstActivation, !runs);
    QCOMPARE(w.terminated, runs ? 0 : 1);
  }

  void loadFromHddRunsAndSurvivesSaving() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\n");
    stick.AddArchive(Archive(1, "Kowalscy", 2015));
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(RowTexts(w.main), QStringList{QStringLiteral("1:Kowalscy")});
    QVERIFY(!w.main.FirstActivation);

    w.main.close();  // closing by any route writes the settings
    const platform::IniFile ini("E:\\config.ini", stick.Fs());
    QCOMPARE(ini.ReadString("Ogolne", "LoadFromHDD", "?"), std::string("1"));
    QCOMPARE(ini.ReadString("Ogolne", "GrupowanieKolumna", "?"), std::string("300"));
  }

  void firstActivationDeletesOldExecutable() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\n");
    std::ofstream(stick.Folder() / "ArchiwumKW.old") << "old";
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());
    QVERIFY(!std::filesystem::exists(stick.Folder() / "ArchiwumKW.old"));
  }

  void groupingByYearNewestFirstNumberedPerGroup() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=302\r\n");
    stick.AddArchive(Archive(1, "A", 2014));
    stick.AddArchive(Archive(2, "B", 2016, 3));
    stick.AddArchive(Archive(3, "C", 2015));
    stick.AddArchive(Archive(4, "D", 2016, 8));
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());
    QCOMPARE(GroupHeaders(w.main),
             (QStringList{QStringLiteral("2016"), QStringLiteral("2015"), QStringLiteral("2014")}));
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:D"), QStringLiteral("2:B"),
                                            QStringLiteral("1:C"), QStringLiteral("1:A")}));
    auto* button = Control<kwui::DropDownButton*>(w.main, "ButtonGrupowanie");
    QCOMPARE(button->text(), QStringLiteral("Data utworzenia: rok"));
  }

  void groupingMenuRegroupsWithoutReload() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\n");
    stick.AddArchive(Archive(1, "kopia", 2016, 5));
    stick.AddArchive(Archive(2, "Kopia", 2015));
    stick.AddArchive(Archive(3, "Album", 2014));
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());

    // Names that differ only in letter case form one group, titled as met first.
    w.main.findChild<QAction*>(QStringLiteral("Nazwa1"))->trigger();
    QCOMPARE(GroupHeaders(w.main), (QStringList{QStringLiteral("Album"), QStringLiteral("kopia")}));
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:Album"), QStringLiteral("1:kopia"),
                                            QStringLiteral("2:Kopia")}));
    auto* button = Control<kwui::DropDownButton*>(w.main, "ButtonGrupowanie");
    QCOMPARE(button->text(), QStringLiteral("Nazwa archiwum"));
    QCOMPARE(w.main.findChild<QAction*>(QStringLiteral("Nazwa1"))->data().toInt(), 10);

    // No grouping: one flat list in the catalogue's order.
    w.main.findChild<QAction*>(QStringLiteral("Nazwy1"))->trigger();
    QCOMPARE(List(w.main)->GroupCount(), 0);
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:kopia"), QStringLiteral("2:Kopia"),
                                            QStringLiteral("3:Album")}));
  }

  void unknownGroupingModeGivesOnePlusGroup() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=7\r\n");
    stick.AddArchive(Archive(1, "A", 2014));
    stick.AddArchive(Archive(2, "B", 2016));
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());
    QCOMPARE(GroupHeaders(w.main), QStringList{QStringLiteral("+")});
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:B"), QStringLiteral("2:A")}));
    auto* button = Control<kwui::DropDownButton*>(w.main, "ButtonGrupowanie");
    QCOMPARE(button->text(), QStringLiteral("Data utworzenia: rok i miesiąc"));
  }

  void headerClicksToggleSortWithArrow() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=-1\r\n");
    kwdemo::DescriptorSpec a = Archive(1, "A", 2014);
    a.liczbaOsob = 30;
    kwdemo::DescriptorSpec b = Archive(2, "B", 2015);
    b.liczbaOsob = 10;
    kwdemo::DescriptorSpec c = Archive(3, "C", 2016);
    c.liczbaOsob = 20;
    stick.AddArchive(a);
    stick.AddArchive(b);
    stick.AddArchive(c);
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());
    w.main.show();
    QCOMPARE(SortImages(w.main), QStringList{QStringLiteral("Data utworzenia")});
    QVERIFY(!stick.Model().SortAscending);

    ClickHeader(w.main, QStringLiteral("Osoby"));
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:B"), QStringLiteral("2:C"),
                                            QStringLiteral("3:A")}));
    QCOMPARE(SortImages(w.main), QStringList{QStringLiteral("Osoby")});
    QVERIFY(stick.Model().SortAscending);
    const QIcon up = List(w.main)->headerItem()->icon(ColumnOf(w.main, QStringLiteral("Osoby")));

    ClickHeader(w.main, QStringLiteral("Osoby"));
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:A"), QStringLiteral("2:C"),
                                            QStringLiteral("3:B")}));
    QVERIFY(!stick.Model().SortAscending);
    const QIcon down = List(w.main)->headerItem()->icon(ColumnOf(w.main, QStringLiteral("Osoby")));
    QVERIFY(up.pixmap(16).toImage() != down.pixmap(16).toImage());

    // "LP" is not sortable: nothing changes.
    ClickHeader(w.main, QStringLiteral("LP"));
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:A"), QStringLiteral("2:C"),
                                            QStringLiteral("3:B")}));
    QCOMPARE(SortImages(w.main), QStringList{QStringLiteral("Osoby")});
    QVERIFY(!stick.Model().SortAscending);
  }

  void deleteNeedsOkAndTheYesRadio_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("radio");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("OK with yes") << 100 << 201 << true;
    QTest::newRow("Anuluj with yes") << 101 << 201 << false;
    QTest::newRow("OK with no") << 100 << 200 << false;
    QTest::newRow("OK without a choice") << 100 << 0 << false;
    QTest::newRow("closed") << 0 << 201 << false;
  }

  void deleteNeedsOkAndTheYesRadio() {
    QFETCH(int, button);
    QFETCH(int, radio);
    QFETCH(bool, deleted);
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=-1\r\n");
    const kwdemo::DescriptorSpec victim = Archive(1, "Stare", 2014);
    stick.AddArchive(victim);
    stick.AddArchive(Archive(2, "Nowe", 2016));
    RecordingDialogs dialogs;
    dialogs.taskAnswer = {button, radio};
    Windows w(stick);
    QVERIFY(w.main.FormActivate());

    auto* usun = Control<QPushButton*>(w.main, "AdvGlowButtonUsun");
    auto* odtworz = Control<QPushButton*>(w.main, "AdvGlowButtonOdtworzDane");
    QVERIFY(!usun->isEnabled());
    QVERIFY(!odtworz->isEnabled());
    List(w.main)->setCurrentItem(List(w.main)->Rows().at(1));  // "Stare", the older one
    QVERIFY(usun->isEnabled());
    QVERIFY(odtworz->isEnabled());
    usun->click();

    QCOMPARE(dialogs.taskDialogs.size(), 1);
    const kwui::TaskDialogContent& asked = dialogs.taskDialogs.first();
    QCOMPARE(asked.title, QStringLiteral("Archiwum KW - Archiwum Kronik Wieków"));
    QCOMPARE(asked.instruction, QStringLiteral("Czy chcesz usunąć wybrane archiwum?"));
    QCOMPARE(asked.radioButtons.at(1).text,
             QStringLiteral("Tak. Chcę trwale usunąć wybrane archiwum."));
    QCOMPARE(asked.defaultButton, 101);
    QCOMPARE(asked.footer, QStringLiteral("Wybrane archiwum zostanie trwale usunięte"));

    const auto descriptor = stick.ArchiveFolder() / (victim.id + ".kwbackup");
    const auto archive = stick.FilesFolder() / (victim.id + ".zip");
    QCOMPARE(!std::filesystem::exists(descriptor), deleted);
    QCOMPARE(!std::filesystem::exists(archive), deleted);
    QCOMPARE(RowTexts(w.main), deleted ? QStringList{QStringLiteral("1:Nowe")}
                                       : (QStringList{QStringLiteral("1:Nowe"),
                                                      QStringLiteral("2:Stare")}));
    if (deleted) QVERIFY(!usun->isEnabled());
  }

  void createAndRestoreButtonsShowTheDialogs() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=-1\r\n");
    stick.AddArchive(Archive(1, "Stare", 2014));
    stick.AddArchive(Archive(2, "Nowe", 2016));
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());

    // Restore: the dialog gets the selected row's own record.
    List(w.main)->setCurrentItem(List(w.main)->Rows().at(1));
    std::string shown;
    QTimer::singleShot(0, &w.restore, [&] {
      QVERIFY(w.restore.isModal() || w.restore.isVisible());
      shown = w.restore.Project ? w.restore.Project->Nazwa : "none";
      QVERIFY(w.restore.NeedsFill);
      w.restore.close();
    });
    Control<QPushButton*>(w.main, "AdvGlowButtonOdtworzDane")->click();
    QCOMPARE(shown, std::string("Stare"));

    // Create: a new archive on the stick is listed afterwards, and the sort returns to
    // creation date, newest first, whatever column was sorted before.
    w.main.show();
    ClickHeader(w.main, QStringLiteral("Nazwa archiwum"));
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:Nowe"), QStringLiteral("2:Stare")}));
    QTimer::singleShot(0, &w.create, [&] {
      stick.AddArchive(Archive(3, "Najnowsze", 2017));
      w.create.ArchiveCreated = true;
      w.create.close();
    });
    Control<QPushButton*>(w.main, "AdvGlowButton2")->click();
    QCOMPARE(RowTexts(w.main), (QStringList{QStringLiteral("1:Najnowsze"), QStringLiteral("2:Nowe"),
                                            QStringLiteral("3:Stare")}));
    QCOMPARE(SortImages(w.main), QStringList{QStringLiteral("Data utworzenia")});
    QVERIFY(!stick.Model().SortAscending);
  }

  void freeSpaceBar_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("9 %") << 9 << QColor(255, 0, 0);
    QTest::newRow("10 %") << 10 << QColor(255, 255, 0);
    QTest::newRow("20 %") << 20 << QColor(255, 255, 0);
    QTest::newRow("21 %") << 21 << QColor(0, 255, 0);
  }

  void freeSpaceBar() {
    QFETCH(int, percent);
    QFETCH(QColor, colour);
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\n");
    RecordingDialogs dialogs;
    Windows w(stick);
    const std::uint64_t total = 100ull << 30;
    w.main.SetFreeSpaceSource([&](const std::string&) {
      return platform::DiskSpace{total / 100 * static_cast<std::uint64_t>(percent), total};
    });
    QVERIFY(w.main.FormActivate());
    auto* bar = Control<kwui::ColourProgressBar*>(w.main, "AdvProgressBar1");
    QCOMPARE(bar->FillColour(), colour);
    QCOMPARE(bar->maximum(), static_cast<int>(total / 1024));
    QCOMPARE(bar->value(), static_cast<int>(total / 100 * percent / 1024));
    QCOMPARE(Control<QLabel*>(w.main, "Label3")->text(),
             QStringLiteral("%1 GB wolnych z 100 GB").arg(percent));
  }

  void freeSpaceLabelAndUnreadableDrive() {
    FakeStick stick;
    stick.WriteConfig("[Ogolne]\r\nLoadFromHDD=1\r\n");
    RecordingDialogs dialogs;
    Windows w(stick);
    // 5.36 GiB free of 8 GiB, as the user's Polish locale writes it.
    w.main.SetFreeSpaceSource([](const std::string&) {
      return platform::DiskSpace{static_cast<std::uint64_t>(5.36 * (1ull << 30)), 8ull << 30};
    });
    QVERIFY(w.main.FormActivate());
    auto* label = Control<QLabel*>(w.main, "Label3");
    QCOMPARE(label->text(), QStringLiteral("5,36 GB wolnych z 8 GB"));

    // A drive of several terabytes still fits the bar.
    w.main.SetFreeSpaceSource([](const std::string&) {
      return platform::DiskSpace{3ull << 40, 12ull << 40};
    });
    w.main.FillCatalogueList();
    auto* bar = Control<kwui::ColourProgressBar*>(w.main, "AdvProgressBar1");
    QCOMPARE(bar->value() * 4 / 100, bar->maximum() / 100);
    QCOMPARE(bar->FillColour(), QColor(0, 255, 0));

    for (const std::optional<platform::DiskSpace>& unreadable :
         {std::optional<platform::DiskSpace>(), std::optional(platform::DiskSpace{0, 0})}) {
      w.main.SetFreeSpaceSource([&](const std::string&) { return unreadable; });
      w.main.FillCatalogueList();
      QCOMPARE(label->text(), QStringLiteral("?"));
      QCOMPARE(bar->value(), 0);
    }
  }

  void settingsEdgeCases() {
    FakeStick stick;
    stick.WriteConfig(
        "[Ogolne]\r\nLoadFromHDD=1\r\nGrupowanieKolumna=abc\r\nMultimediaPominSize=-1\r\n"
        "MultimediaSzukajPrzywroc=0\r\nMultimediaGrupuj=0x0\r\nMultimediaZastap=1\r\n"
        "FolderGlowny=D:\\Odtworzone\r\nFolder=Rodzina\r\nMultimedia=Zdjęcia\r\n"
        "[Aktualizacja]\r\nSprawdz=42417\r\n");
    RecordingDialogs dialogs;
    Windows w(stick);
    QVERIFY(w.main.FormActivate());
    QCOMPARE(stick.Model().GroupMode, 300);
    QCOMPARE(stick.Model().MaxFileSizeMB(), -1);
    QVERIFY(!w.search.findChild<QRadioButton*>(QStringLiteral("AdvOfficeRadioButtonPrzywroc"))
                 ->isChecked());
    QVERIFY(w.search.findChild<QRadioButton*>(QStringLiteral("AdvOfficeRadioButtonUzyjKopii"))
                ->isChecked());
    QVERIFY(!w.restore.findChild<QCheckBox*>(QStringLiteral("AdvOfficeCheckBoxZachowajFolder"))
                 ->isChecked());
    QVERIFY(w.restore.findChild<QCheckBox*>(QStringLiteral("AdvOfficeCheckBoxZastap"))
                ->isChecked());
    QCOMPARE(w.restore.findChild<kwui::DirectoryEdit*>(QStringLiteral("AdvDirectoryEditFolder"))
                 ->text(),
             QStringLiteral("D:\\Odtworzone"));
    QCOMPARE(w.restore.findChild<QLineEdit*>(QStringLiteral("AdvEditFolder"))->text(),
             QStringLiteral("Rodzina"));
    QCOMPARE(w.restore.findChild<QLineEdit*>(QStringLiteral("AdvEditMultimedia"))->text(),
             QStringLiteral("Zdjęcia"));

    w.main.close();
    const platform::IniFile ini("E:\\config.ini", stick.Fs());
    QCOMPARE(ini.ReadString("Ogolne", "GrupowanieKolumna", "?"), std::string("300"));
    QCOMPARE(ini.ReadString("Ogolne", "MultimediaPominSize", "?"), std::string("-1"));
    QCOMPARE(ini.ReadString("Ogolne", "MultimediaSzukajPrzywroc", "?"), std::string("0"));
    QCOMPARE(ini.ReadString("Ogolne", "MultimediaGrupuj", "?"), std::string("0"));
    QCOMPARE(ini.ReadString("Ogolne", "Multimedia", "?"), std::string("Zdjęcia"));
    QCOMPARE(ini.ReadString("Aktualizacja", "Sprawdz", "?"), std::string("42417"));
    QCOMPARE(ini.ReadString("Ogolne", "LoadFromHDD", "?"), std::string("1"));
  }

  void unwritableSettingsAreNotReported() {
    // The executable's drive is not mapped: config.ini can be neither read nor written.
    FakeStick stick;
    RecordingDialogs dialogs;
    Windows w(stick, "Q:\\ArchiwumKW.exe");
    QVERIFY(!w.main.FormActivate());
    QCOMPARE(dialogs.messages, QStringList{kRefused});
    QVERIFY(dialogs.exceptions.isEmpty());
  }

  void exceptionInHandlerIsShownAndProgramCarriesOn() {
    RecordingDialogs dialogs;
    Thrower thrower;
    QEvent event(QEvent::User);
    QVERIFY(!QCoreApplication::sendEvent(&thrower, &event));
    QCOMPARE(dialogs.exceptions, QStringList{QStringLiteral("Nie można otworzyć pliku")});
    QVERIFY(!QCoreApplication::sendEvent(&thrower, &event));
    QCOMPARE(dialogs.exceptions.size(), 2);
  }

  void captionAndPaths() {
    FakeStick stick;
    RecordingDialogs dialogs;
    Windows w(stick);
    QCOMPARE(w.main.windowTitle(), QStringLiteral("Archiwum KW v.1.0.2.0"));
    QCOMPARE(w.main.ConfigPath, std::string("E:\\config.ini"));
    QCOMPARE(w.main.UpdatePath, std::string("E:\\ArchiwumKW.update"));
    QCOMPARE(w.main.OldPath, std::string("E:\\ArchiwumKW.old"));
    QVERIFY(w.main.FirstActivation);
    QVERIFY(w.main.width() >= 890);
  }
};

int main(int argc, char** argv) {
  kwui::Application app(argc, argv);
  TestFormMain test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_formmain.moc"
