#include "app/oprogramieunit.h"

#include <QEvent>
#include <QGuiApplication>
#include "app/widgets/artwork.h"
#include <QScreen>

#include "app/widgets/look.h"
#include "ui_oprogramieunit.h"

namespace {

QString AboutHtml() {
  return QStringLiteral(
      "<b><span style=\"font-size:14pt\">Archiwum KW</span></b> to kompleksowe narzędzie "
      "ochrony Twoich danych genealogicznych utworzonych w programie Kronika wieków."
      "<br><br>"
      "<b>Archiwum KW</b> nie wymaga instalacji. Aplikacja uruchamiana jest bezpośrednio z "
      "dysku USB, a wszystkie pliki niezbędne do utworzenia i późniejszego odtworzenia Twojej "
      "kopii danych genealogicznych znajdują się na dysku USB."
      "<br><br>"
      "Do prawidłowego działania aplikacji niezbędne jest posiadanie własnego dysku USB "
      "(np. pendrive).");
}

}  // namespace

TFormOprogramie::TFormOprogramie(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormOprogramie>()) {
  ui->setupUi(this);
  kwui::MakeFixedDialog(this);
  setFont(kwui::DesignFont(11));
  kwui::StyleHeaderTitle(ui->HTMLabel1);
  ui->HTMLabel2->setFont(kwui::DesignFont(13));
  ui->HTMLabel2->setText(AboutHtml());
  ui->Image1->setPixmap(kwui::AboutPicture());
  kwui::StyleFooter(ui->HTMLabel3);
  kwui::FixClientSize(this, 733, 384);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFormOprogramie::SpeedButton1Click);
}

TFormOprogramie::~TFormOprogramie() = default;

bool TFormOprogramie::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QDialog::event(event);
}

void TFormOprogramie::FormActivate() { kwui::MoveTopEdge(this, 60); }

void TFormOprogramie::SpeedButton1Click() { close(); }
