#include "app/widgets/glow_button.h"

namespace kwui {

GlowButton::GlowButton(QWidget* parent) : QPushButton(parent) {
  setStyleSheet(QStringLiteral(
      "kwui--GlowButton { border: 1px solid #9a9a9a; border-radius: 3px; padding: 3px 10px;"
      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e3e3e3); }"
      "kwui--GlowButton:hover { border-color: #3c7fb1;"
      " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4faff, stop:1 #cfe6f8); }"
      "kwui--GlowButton:pressed { background: #bcdcf4; }"
      "kwui--GlowButton:disabled { color: #9a9a9a; border-color: #c8c8c8; background: #f2f2f2; }"));
}

}  // namespace kwui
