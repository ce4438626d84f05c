#pragma once
// The missing-file search dialog: the drives to search and what to do with a found file.
// The settings file chooses between its two radio buttons.
#include <QDialog>
#include <memory>

namespace Ui {
class TFormSzukajPlikow;
}
class QRadioButton;

class TFormSzukajPlikow : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSzukajPlikow(QWidget* parent = nullptr);
  ~TFormSzukajPlikow() override;

  bool Searching = false;

  QRadioButton* AdvOfficeRadioButtonPrzywroc() const;
  QRadioButton* AdvOfficeRadioButtonUzyjKopii() const;

 private:
  void SpeedButton1Click();

  std::unique_ptr<Ui::TFormSzukajPlikow> ui;
};
