#include "restore/formodtworzdane.h"

#include "app/widgets/look.h"
#include "ui_formodtworzdane.h"

TFormOdtworzDaneZKopii::TFormOdtworzDaneZKopii(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormOdtworzDaneZKopii>()) {
  ui->setupUi(this);
  kwui::MakeFixedDialog(this);
  kwui::StyleHeaderTitle(ui->HTMLabelTytul);
  kwui::StyleFooter(ui->HTMLabelStopka);
  ui->AdvDirectoryEditFolder->SetBrowseDialogText(QStringLiteral("Wybierz folder"));
  kwui::FixClientSize(this, 620, 580);
  kwui::MoveTopEdge(this, 60);
  connect(ui->SpeedButton1, &QToolButton::clicked, this,
          &TFormOdtworzDaneZKopii::SpeedButton1Click);
  connect(ui->AdvGlowButton1, &QPushButton::clicked, this,
          &TFormOdtworzDaneZKopii::SpeedButton1Click);
}

TFormOdtworzDaneZKopii::~TFormOdtworzDaneZKopii() = default;

kwui::DirectoryEdit* TFormOdtworzDaneZKopii::AdvDirectoryEditFolder() const {
  return ui->AdvDirectoryEditFolder;
}
QLineEdit* TFormOdtworzDaneZKopii::AdvEditFolder() const { return ui->AdvEditFolder; }
QLineEdit* TFormOdtworzDaneZKopii::AdvEditMultimedia() const { return ui->AdvEditMultimedia; }
QCheckBox* TFormOdtworzDaneZKopii::AdvOfficeCheckBoxZachowajFolder() const {
  return ui->AdvOfficeCheckBoxZachowajFolder;
}
QCheckBox* TFormOdtworzDaneZKopii::AdvOfficeCheckBoxZastap() const {
  return ui->AdvOfficeCheckBoxZastap;
}

void TFormOdtworzDaneZKopii::SpeedButton1Click() { close(); }
