#include "app/window/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace Fonts {

namespace {

QFont Make(const QStringList& families, QFont::StyleHint hint, int pixels, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(hint);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace

QFont Sans(int pixels, bool bold) {
  return Make({"MS Sans Serif", "Liberation Sans", "Arial", "DejaVu Sans"}, QFont::SansSerif, pixels, bold);
}

QFont Serif(int pixels, bool bold) {
  return Make({"Times New Roman", "Liberation Serif", "DejaVu Serif"}, QFont::Serif, pixels, bold);
}

QFont Panel(int pixels) {
  QFont font = Make({"Liberation Sans Narrow", "Arial Narrow", "DejaVu Sans"}, QFont::SansSerif, pixels, false);
  // Without a narrow face installed, condense the fallback instead.
  if (!QFontDatabase::hasFamily("Liberation Sans Narrow")) font.setStretch(QFont::Condensed);
  return font;
}

}  // namespace Fonts
