#include "app/dialog_service.h"

#include <QApplication>
#include <QMessageBox>

#include "app/widgets/shell_open.h"

namespace kwui {

namespace {

DialogService* g_replacement = nullptr;

QString& TitleText() {
  static QString title = QStringLiteral("Archiwum KW");
  return title;
}

QString Title() { return TitleText(); }

}  // namespace

void QtDialogService::ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, parent);
  box.exec();
}

void QtDialogService::ShowException(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, parent);
  box.exec();
}

MessageAnswer QtDialogService::AskYesNoCancel(QWidget* parent, const QString& title,
                                              const QString& text) {
  QMessageBox box(QMessageBox::Question, title, text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::kYes;
    case QMessageBox::No: return MessageAnswer::kNo;
    default: return MessageAnswer::kCancel;
  }
}

TaskDialogResult QtDialogService::ExecuteTaskDialog(QWidget* parent,
                                                    const TaskDialogContent& content) {
  TaskDialog dialog(content, parent);
  return dialog.Execute();
}

bool QtDialogService::Open(const QString& target) { return ShellOpen(target); }

QString ApplicationTitle() { return TitleText(); }

void SetApplicationTitle(const QString& title) { TitleText() = title; }

DialogService& Dialogs() {
  static QtDialogService qt;
  return g_replacement ? *g_replacement : qt;
}

void SetDialogs(DialogService* service) { g_replacement = service; }

}  // namespace kwui
