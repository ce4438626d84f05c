#include "app/widgets/look.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace kwui {

QColor DesignColour(unsigned value) {
  return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                static_cast<int>((value >> 16) & 0xFFu));
}

namespace {

int ScaledPixels(int heightPx) {
  double dpi = 96.0;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) dpi = screen->logicalDotsPerInch();
  const int scaled = static_cast<int>(heightPx * dpi / 96.0 + 0.5);
  return scaled < heightPx ? heightPx : scaled;
}

}  // namespace

QFont DesignFont(const QString& family, int heightPx, bool bold) {
  QFont font;
  // Tahoma first; the others are what Debian desktops usually have, in order of likeness.
  font.setFamilies(QStringList{family, QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
                               QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans"),
                               QStringLiteral("Sans Serif")});
  font.setPixelSize(ScaledPixels(heightPx));
  font.setBold(bold);
  return font;
}

QFont DesignFont(int heightPx, bool bold) {
  return DesignFont(QStringLiteral("Tahoma"), heightPx, bold);
}

QString FooterHtml() {
  return QStringLiteral(
      "<span style=\"font-size:9pt\">Archiwum KW - Kompleksowa ochrona danych genealogicznych"
      "</span>");
}

}  // namespace kwui

#include <QLabel>
#include <QPalette>
#include <QLayout>
#include <QWidget>

namespace kwui {

void MakeFixedDialog(QWidget* window) {
  window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // White body between the grey header band and footer, as in the main window.
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, Qt::white);
  window->setPalette(palette);
  window->setAutoFillBackground(true);
  window->setFont(DesignFont(11));
}

void FixClientSize(QWidget* window, int width, int height) {
  if (QLayout* layout = window->layout()) layout->activate();
  const QSize needed = window->minimumSizeHint();
  window->setFixedSize(qMax(width, needed.width()), qMax(height, needed.height()));
}

void StyleHeaderTitle(QLabel* label) { label->setFont(DesignFont(19)); }

void StyleFooter(QLabel* label) {
  label->setFont(DesignFont(QStringLiteral("Trebuchet MS"), 12, true));
  label->setStyleSheet(QStringLiteral("color: %1;").arg(DesignColour(7566195).name()));
  label->setText(FooterHtml());
}

void MoveTopEdge(QWidget* window, int top) {
  window->move(window->frameGeometry().x(), top);
}

}  // namespace kwui
