#pragma once
// The program's pictures, drawn in code so they need no image plugin: the window icon
// (a USB stick with a small family tree) and the about box's picture.
#include <QIcon>
#include <QPixmap>

namespace kwui {

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();
QPixmap AboutPicture();  // 288 x 241

}  // namespace kwui
