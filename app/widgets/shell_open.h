#pragma once
// The shell's "open" verb: a web address, or a file or folder on this computer, opened
// with the desktop's default application. The result is only reported, never shown.
#include <QString>

namespace kwui {

bool ShellOpen(const QString& target);

}  // namespace kwui
