#include "render/Pictures.h"

#include <new>

#include "render/Raster.h"

namespace {

QImage Blank(int size, QImage::Format format, Qt::GlobalColor colour) {
  QImage image(size, size, format);
  if (!image.isNull()) image.fill(colour);
  return image;
}

bool SizeAccepted(int size) { return size >= MinPictureSize && size <= MaxPictureSize; }

}  // namespace

bool CreatePictures(TPictures& pictures, int hullSize, int smallSize, std::string& message) {
  if (!SizeAccepted(hullSize) || !SizeAccepted(smallSize)) {
    message = "A picture must be " + std::to_string(MinPictureSize) + " to " + std::to_string(MaxPictureSize) +
              " pixels wide; asked for " + std::to_string(hullSize) + " and " + std::to_string(smallSize) + ".";
    return false;
  }
  TPictures made;
  made.HullBitmap = Blank(hullSize, QImage::Format_BGR888, Qt::white);
  // 32 bits a pixel: the painter's lines and the merge of the second image take fast
  // paths there that the 24-bit format lacks.
  made.StereoBitmap = Blank(hullSize, QImage::Format_RGB32, Qt::black);
  made.MaxwellBitmap = Blank(smallSize, QImage::Format_RGB32, Qt::white);
  made.BitangBitmap = Blank(smallSize, QImage::Format_RGB32, Qt::white);
  const bool imagesMade = !made.HullBitmap.isNull() && !made.StereoBitmap.isNull() &&
                          !made.MaxwellBitmap.isNull() && !made.BitangBitmap.isNull();
  try {
    if (imagesMade) {
      made.DepthBuffer.assign(static_cast<std::size_t>(hullSize) * hullSize, Raster::ClearedCell);
      made.Rulings.assign(1, Ruling{});
    }
  } catch (const std::bad_alloc&) {
    made.DepthBuffer.clear();
  }
  if (!imagesMade || made.DepthBuffer.empty()) {
    message = "Not enough memory for pictures of " + std::to_string(hullSize) + " pixels.";
    return false;
  }
  pictures = std::move(made);
  return true;
}

bool CreatePictures(TPictures& pictures) {
  std::string message;
  return CreatePictures(pictures, DefaultHullSize, DefaultSmallSize, message);
}
