#pragma once
// The task dialog: an instruction with an icon, radio buttons and custom buttons, each with
// an id, and a footer. Execute() answers the id of the pressed button (0 when the dialog
// was closed otherwise) and RadioButtonResult() the id of the selected radio button (0 when
// none is selected).
#include <QDialog>
#include <QList>
#include <QString>

class QButtonGroup;
class QLabel;
class QVBoxLayout;
class QHBoxLayout;

namespace kwui {

enum class TaskDialogIcon { kNone, kQuestion, kWarning, kInformation, kError };

struct TaskDialogChoice {
  int id = 0;
  QString text;
};

// What the dialog shows; kept apart from the widget so tests can check it and script answers.
struct TaskDialogContent {
  QString title;
  QString instruction;
  TaskDialogIcon icon = TaskDialogIcon::kNone;
  QList<TaskDialogChoice> radioButtons;
  QList<TaskDialogChoice> customButtons;
  int defaultButton = 0;
  QString footer;
  TaskDialogIcon footerIcon = TaskDialogIcon::kNone;
};

struct TaskDialogResult {
  int button = 0;
  int radioButton = 0;
};

class TaskDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TaskDialog(const TaskDialogContent& content, QWidget* parent = nullptr);
  // Shows the dialog modally.
  TaskDialogResult Execute();
  int RadioButtonResult() const;

 private:
  QButtonGroup* radios_;
  int pressed_ = 0;
};

}  // namespace kwui
