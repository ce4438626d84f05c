#pragma once
// A progress bar whose filled part has a colour set by the program.
#include <QColor>
#include <QProgressBar>

namespace kwui {

class ColourProgressBar : public QProgressBar {
  Q_OBJECT

 public:
  explicit ColourProgressBar(QWidget* parent = nullptr);
  void SetFillColour(const QColor& colour);
  QColor FillColour() const { return fill_; }

 private:
  QColor fill_;
};

}  // namespace kwui
