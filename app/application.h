#pragma once
// The application object. An exception that escapes an event handler is shown in the
// standard error box and the program carries on, as the user expects of a desktop program.
#include <QApplication>

namespace kwui {

class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The text the error box shows for the exception being handled.
  static QString CurrentExceptionText();
};

// Application-wide look: the design's font and the application title.
void ApplyApplicationLook(QApplication& app);

}  // namespace kwui
