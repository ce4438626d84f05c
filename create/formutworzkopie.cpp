#include "create/formutworzkopie.h"

#include "app/widgets/look.h"
#include "ui_formutworzkopie.h"

TFormTworzKopie::TFormTworzKopie(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormTworzKopie>()) {
  ui->setupUi(this);
  kwui::MakeFixedDialog(this);
  kwui::StyleHeaderTitle(ui->HTMLabelTytul);
  kwui::StyleFooter(ui->HTMLabelStopka);
  ui->Strony->setCurrentWidget(ui->PanelUstawienia);
  kwui::FixClientSize(this, 620, 540);
  connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFormTworzKopie::SpeedButton1Click);
  connect(ui->AdvGlowButtonAnuluj, &QPushButton::clicked, this,
          &TFormTworzKopie::SpeedButton1Click);
}

TFormTworzKopie::~TFormTworzKopie() = default;

void TFormTworzKopie::SpeedButton1Click() { close(); }
