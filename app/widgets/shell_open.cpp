#include "app/widgets/shell_open.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace kwui {

bool ShellOpen(const QString& target) {
  const QUrl url = QFileInfo(target).isAbsolute() ? QUrl::fromLocalFile(target)
                                                   : QUrl::fromUserInput(target);
  return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace kwui
