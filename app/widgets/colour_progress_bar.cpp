#include "app/widgets/colour_progress_bar.h"

namespace kwui {

ColourProgressBar::ColourProgressBar(QWidget* parent) : QProgressBar(parent) {
  setTextVisible(false);
  SetFillColour(QColor(0, 255, 0));
}

void ColourProgressBar::SetFillColour(const QColor& colour) {
  fill_ = colour;
  // A style sheet is the one way every Qt style honours a chunk colour.
  setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #a0a0a0; background: white; }"
                               "QProgressBar::chunk { background: %1; }")
                    .arg(colour.name()));
}

}  // namespace kwui
