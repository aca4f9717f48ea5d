#include "render/Bitmaps.h"

namespace Glob {

bool CreateBitmaps() {
  HullBitmap = QImage(400, 400, QImage::Format_BGR888);
  MaxwellBitmap = QImage(300, 300, QImage::Format_RGB32);
  BitangBitmap = QImage(300, 300, QImage::Format_RGB32);
  if (HullBitmap.isNull() || MaxwellBitmap.isNull() || BitangBitmap.isNull()) return false;
  HullBitmap.fill(Qt::white);
  MaxwellBitmap.fill(Qt::white);
  BitangBitmap.fill(Qt::white);
  StereoBitmap = QImage(400, 400, QImage::Format_BGR888);
  StereoBitmap.fill(Qt::black);
  return true;
}

void ReleaseBitmaps() {
  HullBitmap = QImage();
  MaxwellBitmap = QImage();
  BitangBitmap = QImage();
  StereoBitmap = QImage();
}

}  // namespace Glob
