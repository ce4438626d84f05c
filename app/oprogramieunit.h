#pragma once
// The about box: what the program is for, with the product picture and the footer.
#include <QDialog>
#include <memory>

namespace Ui {
class TFormOprogramie;
}

class TFormOprogramie : public QDialog {
  Q_OBJECT

 public:
  explicit TFormOprogramie(QWidget* parent = nullptr);
  ~TFormOprogramie() override;

 protected:
  bool event(QEvent* event) override;

 private:
  void FormActivate();
  void SpeedButton1Click();

  std::unique_ptr<Ui::TFormOprogramie> ui;
};
