#pragma once
// A tool button that opens its drop-down menu when pressed and shows a caption.
#include <QMenu>
#include <QToolButton>

namespace kwui {

class DropDownButton : public QToolButton {
  Q_OBJECT

 public:
  explicit DropDownButton(QWidget* parent = nullptr);
  void SetDropDownMenu(QMenu* menu);
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
  QSize sizeHint() const override;
};

}  // namespace kwui
