#pragma once
// Everything the windows show or start outside themselves: message boxes, the task dialog,
// the shell's "open" verb. The program uses the Qt implementation; tests put in their own
// to read what would be shown and to answer it, without blocking.
#include <QString>

#include "app/widgets/task_dialog.h"

class QWidget;

namespace kwui {

enum class MessageAnswer { kYes, kNo, kCancel, kOk };

class DialogService {
 public:
  virtual ~DialogService() = default;
  // A plain message with an OK button, titled with the application's title.
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
  // The standard error box for an exception that reached the event loop.
  virtual void ShowException(QWidget* parent, const QString& text) = 0;
  // A question with the buttons yes, no and cancel.
  virtual MessageAnswer AskYesNoCancel(QWidget* parent, const QString& title,
                                       const QString& text) = 0;
  virtual TaskDialogResult ExecuteTaskDialog(QWidget* parent,
                                             const TaskDialogContent& content) = 0;
  // The shell's "open" verb on an address, file or folder.
  virtual bool Open(const QString& target) = 0;
};

class QtDialogService : public DialogService {
 public:
  void ShowMessage(QWidget* parent, const QString& text) override;
  void ShowException(QWidget* parent, const QString& text) override;
  MessageAnswer AskYesNoCancel(QWidget* parent, const QString& title,
                               const QString& text) override;
  TaskDialogResult ExecuteTaskDialog(QWidget* parent, const TaskDialogContent& content) override;
  bool Open(const QString& target) override;
};

// The application title: the title of message boxes and the task dialog.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// The one the program uses unless a test replaced it.
DialogService& Dialogs();
void SetDialogs(DialogService* service);  // nullptr restores the Qt one

}  // namespace kwui
