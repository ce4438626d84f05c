#pragma once
// A folder field with a browse button: typing is off, the folder is chosen by browsing.
#include <QString>
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace kwui {

class DirectoryEdit : public QWidget {
  Q_OBJECT

 public:
  explicit DirectoryEdit(QWidget* parent = nullptr);
  QString text() const;
  void setText(const QString& text);
  void SetBrowseDialogText(const QString& text) { dialogText_ = text; }
  // Turns the host folder the user picked into the text the field shows.
  void SetHostPathConverter(std::function<QString(const QString&)> convert);

 signals:
  void Changed(const QString& text);

 private:
  void Browse();

  QLineEdit* edit_;
  QToolButton* browse_;
  QString dialogText_;
  std::function<QString(const QString&)> convert_;
};

}  // namespace kwui
