#include "app/widgets/drop_down_button.h"

namespace kwui {

DropDownButton::DropDownButton(QWidget* parent) : QToolButton(parent) {
  setPopupMode(QToolButton::InstantPopup);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
}

QSize DropDownButton::sizeHint() const {
  // Room for the longest caption of the menu and the drop-down mark, whichever is chosen.
  QSize hint = QToolButton::sizeHint();
  int widest = fontMetrics().horizontalAdvance(text());
  if (menu()) {
    for (const QAction* action : menu()->actions()) {
      widest = qMax(widest, fontMetrics().horizontalAdvance(action->text()));
    }
  }
  hint.setWidth(qMax(hint.width(), widest + 36));
  return hint;
}

void DropDownButton::SetDropDownMenu(QMenu* menu) { setMenu(menu); }

}  // namespace kwui
