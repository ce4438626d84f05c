#include "search/formszukaj.h"

#include "app/widgets/look.h"
#include "ui_formszukaj.h"

TFormSzukajPlikow::TFormSzukajPlikow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormSzukajPlikow>()) {
  ui->setupUi(this);
  kwui::MakeFixedDialog(this);
  kwui::StyleHeaderTitle(ui->HTMLabelTytul);
  kwui::StyleFooter(ui->HTMLabelStopka);
  kwui::FixClientSize(this, 620, 540);
  connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFormSzukajPlikow::SpeedButton1Click);
  connect(ui->AdvGlowButton2, &QPushButton::clicked, this, &TFormSzukajPlikow::SpeedButton1Click);
}

TFormSzukajPlikow::~TFormSzukajPlikow() = default;

QRadioButton* TFormSzukajPlikow::AdvOfficeRadioButtonPrzywroc() const {
  return ui->AdvOfficeRadioButtonPrzywroc;
}
QRadioButton* TFormSzukajPlikow::AdvOfficeRadioButtonUzyjKopii() const {
  return ui->AdvOfficeRadioButtonUzyjKopii;
}

void TFormSzukajPlikow::SpeedButton1Click() { close(); }
