#include "app/core/GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <vector>

#include "app/core/SafeFile.h"
#include "formula/Checks.h"

namespace GifWriter {

namespace {

int AppendBytes(GifFileType* gif, const GifByteType* bytes, int count) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), count);
  return count;
}

[[noreturn]] void Fail(const std::string& what, int error) {
  const char* reason = GifErrorString(error);
  throw WendrixError("GIF: " + what + (reason ? std::string(": ") + reason : std::string()));
}

// Table sizes are powers of two, at least 2.
int TableSize(std::size_t colours) {
  int size = 2;
  while (static_cast<std::size_t>(size) < colours) size *= 2;
  return size;
}

// The loop-for-ever block that browsers and viewers honour.
void PutLoopBlock(GifFileType* gif) {
  static const GifByteType Name[] = "NETSCAPE2.0";
  static const GifByteType Forever[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif, 11, Name) == GIF_ERROR || EGifPutExtensionBlock(gif, 3, Forever) == GIF_ERROR ||
      EGifPutExtensionTrailer(gif) == GIF_ERROR)
    Fail("cannot write the loop block", gif->Error);
}

}  // namespace

struct TGifAnimation::TState {
  GifFileType* Gif = nullptr;
  std::string Bytes;
  int Width = 0, Height = 0, DelayCs = 0, Frames = 0;
};

TGifAnimation::TGifAnimation(int width, int height, int delayCs) : state_(std::make_unique<TState>()) {
  state_->Width = width;
  state_->Height = height;
  state_->DelayCs = delayCs;
  int error = 0;
  state_->Gif = EGifOpen(&state_->Bytes, AppendBytes, &error);
  if (!state_->Gif) Fail("cannot start", error);
  EGifSetGifVersion(state_->Gif, true);
  if (EGifPutScreenDesc(state_->Gif, width, height, 8, 0, nullptr) == GIF_ERROR)
    Fail("cannot write the screen description", state_->Gif->Error);
  PutLoopBlock(state_->Gif);
}

TGifAnimation::~TGifAnimation() {
  if (state_->Gif) EGifCloseFile(state_->Gif, nullptr);
}

void TGifAnimation::AddFrame(const QImage& frame) {
  if (!state_->Gif) throw WendrixError("GIF: the animation is already finished");
  if (frame.width() != state_->Width || frame.height() != state_->Height)
    throw WendrixError("GIF: a frame of another size than the animation");
  const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
  std::vector<QRgb> colours;
  for (int y = 0; y < rgb.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    colours.insert(colours.end(), row, row + rgb.width());
    // Sorting once per row keeps the working list short for pictures of few colours.
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  }
  if (colours.size() > 256) throw WendrixError("GIF: a frame holds more than 256 colours");

  std::vector<GifColorType> table(TableSize(colours.size()), GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < colours.size(); ++i)
    table[i] = {static_cast<GifByteType>(qRed(colours[i])), static_cast<GifByteType>(qGreen(colours[i])),
                static_cast<GifByteType>(qBlue(colours[i]))};
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(table.size()), table.data());
  if (!map) throw WendrixError("GIF: not enough memory for a colour table");

  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.DelayTime = state_->DelayCs;
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const std::size_t length = EGifGCBToExtension(&control, extension);
  bool ok = EGifPutExtension(state_->Gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_ERROR &&
            EGifPutImageDesc(state_->Gif, 0, 0, state_->Width, state_->Height, false, map) != GIF_ERROR;
  std::vector<GifPixelType> line(state_->Width);
  for (int y = 0; ok && y < state_->Height; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < state_->Width; ++x)
      line[x] = static_cast<GifPixelType>(std::lower_bound(colours.begin(), colours.end(), row[x]) - colours.begin());
    ok = EGifPutLine(state_->Gif, line.data(), state_->Width) != GIF_ERROR;
  }
  GifFreeMapObject(map);
  if (!ok) Fail("cannot write a frame", state_->Gif->Error);
  ++state_->Frames;
}

void TGifAnimation::Save(const std::string& path) {
  if (!state_->Gif) throw WendrixError("GIF: the animation is already finished");
  int error = 0;
  const int closed = EGifCloseFile(state_->Gif, &error);
  state_->Gif = nullptr;
  if (closed == GIF_ERROR) Fail("cannot end the file", error);
  if (state_->Frames == 0) throw WendrixError("GIF: an animation without frames");
  SafeFile::Write(path, state_->Bytes);
}

}  // namespace GifWriter
