#include "app/application.h"

#include <exception>

#include "app/dialog_service.h"
#include "app/widgets/look.h"

namespace kwui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    Dialogs().ShowException(activeWindow(), CurrentExceptionText());
    return false;
  }
}

QString Application::CurrentExceptionText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QString();  // any other thrown value becomes an exception with an empty message
  }
}

void ApplyApplicationLook(QApplication& app) {
  app.setFont(DesignFont(11));
  app.setApplicationName(QStringLiteral("ArchiwumKW"));
}

}  // namespace kwui
