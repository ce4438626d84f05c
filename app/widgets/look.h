#pragma once
// The window design's fonts and colours on a Linux desktop.
#include <QColor>
#include <QFont>
#include <QString>

namespace kwui {

// A design colour value: 0x00BBGGRR, blue in the high byte.
QColor DesignColour(unsigned value);

// The design's font (Tahoma, or a close sans-serif where Tahoma is missing) at a height
// given in pixels at 96 dpi; it grows with the desktop's dpi so text stays readable.
QFont DesignFont(int heightPx, bool bold = false);
QFont DesignFont(const QString& family, int heightPx, bool bold);

// The footer line every window shows.
QString FooterHtml();

}  // namespace kwui

class QLabel;
class QWidget;

namespace kwui {

// A window with a single fixed border and no title-bar buttons (the dialogs and the about
// box), at its design size or larger when the font needs more room.
void MakeFixedDialog(QWidget* window);
// Keeps a window at its design client size, or larger when its content needs more room.
void FixClientSize(QWidget* window, int width, int height);
// The title on a window's header band (Tahoma height -19).
void StyleHeaderTitle(QLabel* label);
// The footer line (Trebuchet MS bold, grey).
void StyleFooter(QLabel* label);
// Moves a top-level window so that its frame's top edge is at `top` (screen coordinates).
void MoveTopEdge(QWidget* window, int top);

}  // namespace kwui
