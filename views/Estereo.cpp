#include "views/Estereo.h"

#include <QPainter>
#include <cmath>
#include <new>

#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "render/Palette.h"

namespace Estereo {

namespace {

// The pen colour of a palette entry.
QColor PaletteQColor(int index) {
  const std::uint32_t c = Palette::PaletteColour(index);
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

bool InsidePicture(const TStereoState& s, const QPoint& p) {
  const int size = s.PictureSize;
  return p.x() >= 0 && p.x() < size && p.y() >= 0 && p.y() < size;
}

// The stereo picture's size into `s`, for the projection and the trackball.
void UsePicture(TStereoState& s, const TPictures& pictures) {
  s.PictureSize = pictures.StereoBitmap.width();
  s.PixelScale = s.PictureSize / static_cast<long double>(DefaultHullSize);
}

void UseFrame(TStereoState& s, const TFrame& frame) {
  s.DrawX = frame.X;
  s.DrawY = frame.Y;
  s.DrawDepth = frame.Depth;
}

// The wire-frame through `frame` in the opaque `colour` on black, into `image` (32 bits a
// pixel). The painter's plain mode copies an opaque pen, and under a clip of the whole
// picture, which changes no pixel, the painter sets a line's pixels itself; in another
// mode, or without the clip, it hands those of every long line to a pool of threads and
// waits for them, which takes ten times as long.
void DrawImage(TStereoState& s, QImage& image, const TFrame& frame, const QColor& colour,
               const Sampling::TFigure& figure, const Bitangents::TAnalysis& analysis) {
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.setClipRect(image.rect());
  painter.setPen(QPen(colour, 1));
  UseFrame(s, frame);
  DrawWireFrame(s, painter, figure, analysis);
}

}  // namespace

bool CanShowStereo(const TStereoState& s, bool figureDrawn) { return figureDrawn || s.Prepared; }

void PrepareStereo(TStereoState& s, const TView& view, const Sampling::TFigure& figure, bool figureDrawn) {
  if (!figureDrawn) return;
  s.View = view;
  const TVector3 size = figure.BoxMax - figure.BoxMin;
  for (int i = 0; i <= 1; ++i)
    for (int j = 0; j <= 1; ++j)
      for (int k = 0; k <= 1; ++k)
        s.Corners[i][j][k] = {figure.BoxMin.x + i * size.x, figure.BoxMin.y + j * size.y, figure.BoxMin.z + k * size.z};
  s.SphereR2 = 0.175L * Dot(size, size);
  UpdateFrames(s);
  s.Prepared = true;
}

void UpdateFrames(TStereoState& s) {
  const TView& v = s.View;
  const TVector3 toEye = v.Eye - v.Pivot;
  s.EyeDist2 = Dot(toEye, toEye);
  s.EyeDist = std::sqrt(s.EyeDist2);
  s.ScaleAbs = std::fabs(v.Scale);
  s.ScaleAbs2 = s.ScaleAbs * s.ScaleAbs;
  // A figure of one point (a constant curve) has no depth to show, and its view, framed
  // for a figure of no size, would magnify the turn of either camera beyond any picture:
  // both cameras look along the view axis and show the point where the shaded view does.
  if (s.SphereR2 == 0) {
    s.RedFrame = s.TealFrame = {v.AxisX, v.AxisY, v.AxisZ};
    return;
  }
  s.RedFrame = {SinHalfAngle * v.AxisZ + CosHalfAngle * v.AxisX, v.AxisY,
                CosHalfAngle * v.AxisZ - SinHalfAngle * v.AxisX};
  s.TealFrame = {CosHalfAngle * v.AxisX - SinHalfAngle * v.AxisZ, v.AxisY,
                 CosHalfAngle * v.AxisZ + SinHalfAngle * v.AxisX};
}

QPoint StereoProject(const TStereoState& s, const TVector3& p) {
  const TView& v = s.View;
  const long double k = v.Scale / (Dot(p, s.DrawDepth) - v.EyeDepth);
  return QPoint(RoundChecked(((Dot(p, s.DrawX) - v.ShiftX) * k - v.OffsetX) * s.PixelScale),
                RoundChecked(((Dot(p, s.DrawY) - v.ShiftY) * k - v.OffsetY) * s.PixelScale));
}

void DrawWireFrame(const TStereoState& s, QPainter& painter, const Sampling::TFigure& figure,
                   const Bitangents::TAnalysis& analysis) {
  const auto line = [&s, &painter](const TVector3& a, const TVector3& b) {
    painter.drawLine(StereoProject(s, a), StereoProject(s, b));
  };
  const auto& c = s.Corners;
  for (int a = 0; a <= 1; ++a)
    for (int b = 0; b <= 1; ++b) {
      line(c[a][b][0], c[a][b][1]);
      line(c[a][0][b], c[a][1][b]);
      line(c[0][a][b], c[1][a][b]);
    }

  // The list holds each on-hull pair in both orders; draw it once.
  for (std::int32_t i = 1; i <= analysis.BitangentCount; ++i) {
    const BitangentRecord& r = analysis.BitangentList.at(i);
    if (r.OnHull && r.ParamS <= r.ParamT) line(r.PointS, r.PointT);
  }

  // Segments with an end outside the picture are left out: such an end may lie far
  // away or behind the eye, where its projection points the wrong way. The curve
  // is drawn again from the next segment that lies inside.
  if (figure.CurvePointHigh < 0) return;
  QPoint pen = StereoProject(s, figure.CurvePoints.at(0).Point);
  bool penInside = InsidePicture(s, pen);
  for (int i = 1; i <= figure.CurvePointHigh; ++i) {
    const QPoint next = StereoProject(s, figure.CurvePoints.at(i).Point);
    const bool nextInside = InsidePicture(s, next);
    if (penInside && nextInside) painter.drawLine(pen, next);
    pen = next;
    penInside = nextInside;
  }
}

void DrawStereo(TStereoState& s, TPictures& pictures, const Sampling::TFigure& figure,
                const Bitangents::TAnalysis& analysis) {
  UsePicture(s, pictures);
  QImage& picture = pictures.StereoBitmap;
  DrawImage(s, picture, s.RedFrame, PaletteQColor(30), figure, analysis);
  // The teal image merged: a bitwise or with the red one.
  QImage teal(picture.size(), QImage::Format_RGB32);
  if (teal.isNull()) throw std::bad_alloc();
  DrawImage(s, teal, s.TealFrame, PaletteQColor(31), figure, analysis);
  const int size = s.PictureSize;
  for (int y = 0; y < size; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
    const QRgb* tealRow = reinterpret_cast<const QRgb*>(teal.constScanLine(y));
    for (int x = 0; x < size; ++x) row[x] |= tealRow[x];
  }
}

TVector3 StereoSphere(const TStereoState& s, int x, int y) {
  const TView& view = s.View;
  const long double u = x / s.PixelScale + view.OffsetX;
  const long double v = y / s.PixelScale + view.OffsetY;
  const long double l = u * u + v * v + s.ScaleAbs2;
  long double g = s.EyeDist2 * s.ScaleAbs2 - l * (s.EyeDist2 - s.SphereR2);
  if (g < 1e-10L) g = 0;
  const long double lambda = (s.EyeDist * s.ScaleAbs - std::sqrt(g + s.SphereR2)) / l;
  const TVector3 w = lambda * (u * view.AxisX + v * view.AxisY + view.Scale * view.AxisZ) + view.Eye - view.Pivot;
  return w / Length(w);
}

void StoreStereo(const TStereoState& s, TView& view) {
  view = s.View;
  // The shaded view's trackball is centred on the figure's projection.
  Framing::FollowPivot(view);
}

void ShowStereo(TStereoState& s, TPictures& pictures, const TView& view, bool figureDrawn,
                const Sampling::TFigure& figure, const Bitangents::TAnalysis& analysis) {
  if (!CanShowStereo(s, figureDrawn)) return;
  PrepareStereo(s, view, figure, figureDrawn);
  DrawStereo(s, pictures, figure, analysis);
}

void StereoDrag(TStereoState& s, TPictures& pictures, TView& view, const Sampling::TFigure& figure,
                const Bitangents::TAnalysis& analysis, int oldX, int oldY, int newX, int newY,
                const MueveFigura::TShiftState& keys) {
  PrepareStereo(s, view, figure, true);
  UsePicture(s, pictures);
  TView& v = s.View;
  switch (MueveFigura::ModeOf(keys)) {
    case MueveFigura::TDragMode::Shift:
      v.OffsetX += (static_cast<long double>(oldX) - newX) / s.PixelScale;
      v.OffsetY += (static_cast<long double>(oldY) - newY) / s.PixelScale;
      break;
    case MueveFigura::TDragMode::Zoom:
      v.Scale = MueveFigura::ZoomedScale(v.Scale, oldY, newY, s.PixelScale);
      s.ScaleAbs = std::fabs(v.Scale);
      s.ScaleAbs2 = s.ScaleAbs * s.ScaleAbs;
      break;
    case MueveFigura::TDragMode::Rotate: {
      const TVector3 uOld = StereoSphere(s, oldX, oldY);
      const TVector3 uNew = StereoSphere(s, newX, newY);
      if (!MueveFigura::RotateRows(uOld, uNew, v.AxisX, v.AxisY, v.AxisZ)) break;
      // The camera keeps its distance from the pivot and looks along the new depth axis.
      v.EyeDepth = Dot(v.AxisZ, v.Pivot) + s.EyeDist;
      v.ShiftX = Dot(v.AxisX, v.Pivot);
      v.ShiftY = Dot(v.AxisY, v.Pivot);
      v.Eye = v.EyeDepth * v.AxisZ + v.ShiftX * v.AxisX + v.ShiftY * v.AxisY;
      UpdateFrames(s);
      break;
    }
  }
  DrawStereo(s, pictures, figure, analysis);
  StoreStereo(s, view);
}

}  // namespace Estereo
