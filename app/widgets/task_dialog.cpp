#include "app/widgets/task_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/widgets/look.h"

namespace kwui {

namespace {

QIcon StandardIcon(TaskDialogIcon icon) {
  QStyle* style = QApplication::style();
  switch (icon) {
    case TaskDialogIcon::kQuestion: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case TaskDialogIcon::kWarning: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case TaskDialogIcon::kInformation:
      return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case TaskDialogIcon::kError: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case TaskDialogIcon::kNone: break;
  }
  return {};
}

QLabel* IconLabel(TaskDialogIcon icon, int size, QWidget* parent) {
  auto* label = new QLabel(parent);
  const QIcon pic = StandardIcon(icon);
  if (!pic.isNull()) label->setPixmap(pic.pixmap(size, size));
  label->setAlignment(Qt::AlignTop);
  return label;
}

}  // namespace

TaskDialog::TaskDialog(const TaskDialogContent& content, QWidget* parent)
    : QDialog(parent), radios_(new QButtonGroup(this)) {
  setWindowTitle(content.title);
  setModal(true);
  setFont(DesignFont(11));

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  auto* body = new QWidget(this);
  body->setObjectName(QStringLiteral("TaskDialogBody"));
  body->setAutoFillBackground(true);
  QPalette white = body->palette();
  white.setColor(QPalette::Window, Qt::white);
  body->setPalette(white);
  auto* bodyLayout = new QHBoxLayout(body);
  bodyLayout->setContentsMargins(12, 12, 16, 12);
  bodyLayout->addWidget(IconLabel(content.icon, 32, body));
  auto* texts = new QVBoxLayout;
  auto* instruction = new QLabel(content.instruction, body);
  instruction->setObjectName(QStringLiteral("TaskDialogInstruction"));
  instruction->setFont(DesignFont(15));
  instruction->setStyleSheet(QStringLiteral("color: #003399;"));
  instruction->setWordWrap(true);
  texts->addWidget(instruction);
  radios_->setExclusive(true);
  for (const TaskDialogChoice& choice : content.radioButtons) {
    auto* radio = new QRadioButton(choice.text, body);
    radio->setObjectName(QStringLiteral("TaskDialogRadio%1").arg(choice.id));
    radios_->addButton(radio, choice.id);
    texts->addWidget(radio);
  }
  texts->addStretch(1);
  bodyLayout->addLayout(texts, 1);
  outer->addWidget(body, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(12, 8, 12, 8);
  buttons->addStretch(1);
  for (const TaskDialogChoice& choice : content.customButtons) {
    auto* button = new QPushButton(choice.text, this);
    button->setObjectName(QStringLiteral("TaskDialogButton%1").arg(choice.id));
    button->setAutoDefault(choice.id == content.defaultButton);
    button->setDefault(choice.id == content.defaultButton);
    const int id = choice.id;
    connect(button, &QPushButton::clicked, this, [this, id] {
      pressed_ = id;
      accept();
    });
    buttons->addWidget(button);
    if (choice.id == content.defaultButton) button->setFocus();
  }
  outer->addLayout(buttons);

  if (!content.footer.isEmpty()) {
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(12, 6, 12, 8);
    footer->setSpacing(6);
    footer->addWidget(IconLabel(content.footerIcon, 16, this));
    auto* footerText = new QLabel(content.footer, this);
    footerText->setObjectName(QStringLiteral("TaskDialogFooter"));
    footer->addWidget(footerText, 1);
    outer->addLayout(footer);
  }
  setMinimumWidth(420);
}

TaskDialogResult TaskDialog::Execute() {
  pressed_ = 0;
  exec();
  return {pressed_, RadioButtonResult()};
}

int TaskDialog::RadioButtonResult() const {
  const int id = radios_->checkedId();
  return id < 0 ? 0 : id;
}

}  // namespace kwui
