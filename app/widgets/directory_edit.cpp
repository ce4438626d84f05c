#include "app/widgets/directory_edit.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace kwui {

DirectoryEdit::DirectoryEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), browse_(new QToolButton(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  edit_->setReadOnly(true);
  browse_->setText(QStringLiteral("..."));
  layout->addWidget(edit_, 1);
  layout->addWidget(browse_);
  connect(browse_, &QToolButton::clicked, this, &DirectoryEdit::Browse);
}

QString DirectoryEdit::text() const { return edit_->text(); }

void DirectoryEdit::setText(const QString& text) {
  edit_->setText(text);
  emit Changed(text);
}

void DirectoryEdit::SetHostPathConverter(std::function<QString(const QString&)> convert) {
  convert_ = std::move(convert);
}

void DirectoryEdit::Browse() {
  const QString chosen = QFileDialog::getExistingDirectory(this, dialogText_);
  if (chosen.isEmpty()) return;
  setText(convert_ ? convert_(chosen) : chosen);
}

}  // namespace kwui
