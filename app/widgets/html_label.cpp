#include "app/widgets/html_label.h"

namespace kwui {

HtmlLabel::HtmlLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::RichText);
  setOpenExternalLinks(false);  // the window decides what an anchor does
  setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(this, &QLabel::linkActivated, this, &HtmlLabel::AnchorClick);
}

}  // namespace kwui
