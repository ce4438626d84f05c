// The component mapping and the dialogs' layouts: the task dialog answers with the pressed
// button and the chosen radio button; every window carries the controls the settings and
// the main window reach by name.
#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/widgets/html_label.h"
#include "app/widgets/task_dialog.h"
#include "tools/qt/fake_stick.h"

namespace {

kwui::TaskDialogContent DeleteQuestion() {
  kwui::TaskDialogContent c;
  c.title = QStringLiteral("Archiwum KW");
  c.instruction = QStringLiteral("Czy chcesz usunąć wybrane archiwum?");
  c.icon = kwui::TaskDialogIcon::kQuestion;
  c.radioButtons = {{200, QStringLiteral("Nie.")}, {201, QStringLiteral("Tak.")}};
  c.customButtons = {{100, QStringLiteral("OK")}, {101, QStringLiteral("Anuluj")}};
  c.defaultButton = 101;
  c.footer = QStringLiteral("Wybrane archiwum zostanie trwale usunięte");
  c.footerIcon = kwui::TaskDialogIcon::kWarning;
  return c;
}

}  // namespace

class TestWidgets : public QObject {
  Q_OBJECT

 private slots:
  void taskDialogReportsButtonAndRadio_data() {
    QTest::addColumn<QString>("radio");   // object name to click first, or empty
    QTest::addColumn<QString>("button");  // object name to click, or empty to close
    QTest::addColumn<int>("expectedButton");
    QTest::addColumn<int>("expectedRadio");
    QTest::newRow("yes then OK") << "TaskDialogRadio201" << "TaskDialogButton100" << 100 << 201;
    QTest::newRow("no then OK") << "TaskDialogRadio200" << "TaskDialogButton100" << 100 << 200;
    QTest::newRow("nothing then OK") << "" << "TaskDialogButton100" << 100 << 0;
    QTest::newRow("yes then Anuluj") << "TaskDialogRadio201" << "TaskDialogButton101" << 101
                                     << 201;
    QTest::newRow("yes then closed") << "TaskDialogRadio201" << "" << 0 << 201;
  }

  void taskDialogReportsButtonAndRadio() {
    QFETCH(QString, radio);
    QFETCH(QString, button);
    QFETCH(int, expectedButton);
    QFETCH(int, expectedRadio);
    kwui::TaskDialog dialog(DeleteQuestion());
    QVERIFY(!dialog.findChild<QRadioButton*>(QStringLiteral("TaskDialogRadio200"))->isChecked());
    QVERIFY(!dialog.findChild<QRadioButton*>(QStringLiteral("TaskDialogRadio201"))->isChecked());
    QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("TaskDialogButton101"))->isDefault());
    QTimer::singleShot(0, &dialog, [&] {
      if (!radio.isEmpty()) dialog.findChild<QAbstractButton*>(radio)->click();
      if (button.isEmpty()) {
        dialog.reject();
      } else {
        dialog.findChild<QAbstractButton*>(button)->click();
      }
    });
    const kwui::TaskDialogResult result = dialog.Execute();
    QCOMPARE(result.button, expectedButton);
    QCOMPARE(result.radioButton, expectedRadio);
  }

  void htmlLabelReportsAnchor() {
    kwui::HtmlLabel label;
    label.setText(QStringLiteral("<a href=\"plik\">kliknij, aby wybrać inny plik</a>"));
    QString clicked;
    connect(&label, &kwui::HtmlLabel::AnchorClick, [&](const QString& a) { clicked = a; });
    emit label.linkActivated(QStringLiteral("plik"));
    QCOMPARE(clicked, QStringLiteral("plik"));
  }

  void windowsCarryTheirControls() {
    FakeStick stick;
    RecordingDialogs dialogs;
    Windows w(stick);
    struct Control {
      QWidget* form;
      const char* name;
      const char* text;  // nullptr: only its presence matters
    };
    const Control controls[] = {
        {w.main.centralWidget(), "ButtonGrupowanie", "Data utworzenia: rok i miesiąc"},
        {w.main.centralWidget(), "AdvGlowButtonUsun", "Usuń archiwum..."},
        {w.main.centralWidget(), "AdvGlowButton2", "Utwórz nowe archiwum..."},
        {w.main.centralWidget(), "AdvGlowButtonOdtworzDane", "Odtwórz dane z archiwum..."},
        {w.main.centralWidget(), "Label2", "Lista zawiera wszystkie utworzone archiwa"},
        {w.main.centralWidget(), "Label1", "Grupuj według:"},
        {w.main.centralWidget(), "MemoAkt", nullptr},
        {&w.create, "AdvOfficeCheckBoxPomin", "Pomiń pliki większe niż"},
        {&w.create, "AdvSpinEditMaxSize", nullptr},
        {&w.create, "AdvGlowButtonAkcja", nullptr},
        {&w.restore, "AdvOfficeCheckBoxZachowajFolder",
         "zachowaj ostatni folder z lokalizacji źródłowej"},
        {&w.restore, "AdvOfficeCheckBoxZastap",
         "Zastąp istniejące pliki multimedialne plikami odtwarzanymi z archiwum"},
        {&w.restore, "AdvDirectoryEditFolder", nullptr},
        {&w.search, "AdvOfficeRadioButtonPrzywroc", "Skopiuj plik do pierwotnej lokalizacji"},
        {&w.search, "AdvOfficeRadioButtonUzyjKopii",
         "Nie kopiuj pliku. Podczas tworzenia archiwum, użyj pliku z nowej lokalizacji"},
        {&w.about, "SpeedButton1", nullptr},
    };
    for (const Control& c : controls) {
      QWidget* widget = c.form->findChild<QWidget*>(QString::fromLatin1(c.name));
      QVERIFY2(widget, c.name);
      if (!c.text) continue;
      const QVariant text = widget->property("text");
      QCOMPARE(text.toString(), QString::fromUtf8(c.text));
    }
    const QString about = w.about.findChild<QLabel*>(QStringLiteral("HTMLabel2"))->text();
    QVERIFY(about.contains(QStringLiteral("Do prawidłowego działania aplikacji niezbędne jest "
                                          "posiadanie własnego dysku USB (np. pendrive).")));
    QCOMPARE(w.about.windowTitle(), QStringLiteral("Archiwum KW"));
  }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
