#pragma once
// The windows' command buttons: a push button with a soft gradient.
#include <QPushButton>

namespace kwui {

class GlowButton : public QPushButton {
  Q_OBJECT

 public:
  explicit GlowButton(QWidget* parent = nullptr);
};

}  // namespace kwui
