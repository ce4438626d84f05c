#pragma once
// A label that shows a small HTML text; a click on one of its anchors reports the anchor.
#include <QLabel>

namespace kwui {

class HtmlLabel : public QLabel {
  Q_OBJECT

 public:
  explicit HtmlLabel(QWidget* parent = nullptr);

 signals:
  void AnchorClick(const QString& anchor);
};

}  // namespace kwui
