#include "app/widgets/drop_down_button.h"

namespace kwui {

DropDownButton::DropDownButton(QWidget* parent) : QToolButton(parent) {
  setPopupMode(QToolButton::InstantPopup);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void DropDownButton::SetDropDownMenu(QMenu* menu) { setMenu(menu); }

}  // namespace kwui
