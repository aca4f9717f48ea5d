// Animated GIF files of drawn pictures, written without loss: every frame carries its
// own colour table of exactly the colours it holds (the hull picture uses only entries
// of the shade palette, so a frame never needs more than 256).
#pragma once

#include <QImage>
#include <memory>
#include <string>

namespace GifWriter {

// Collects the frames of one animation in memory and writes the file at the end, so
// that a failure leaves no partial file.
class TGifAnimation {
 public:
  // Frames of `width` x `height` pixels, each shown for `delayCs` hundredths of a
  // second, looping for ever. Throws WendrixError when giflib cannot start.
  TGifAnimation(int width, int height, int delayCs);
  ~TGifAnimation();
  TGifAnimation(const TGifAnimation&) = delete;
  TGifAnimation& operator=(const TGifAnimation&) = delete;

  // Appends `frame`. Throws WendrixError, and keeps the frames before, when its size
  // differs from the animation's or it holds more than 256 distinct colours.
  void AddFrame(const QImage& frame);

  // Ends the animation and replaces `path` through SafeFile::Write (its errors as
  // there). Throws WendrixError when there is no frame; the object is then finished.
  void Save(const std::string& path);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

}  // namespace GifWriter
