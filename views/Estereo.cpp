#include "views/Estereo.h"

#include <QPainter>
#include <cmath>

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

bool InsidePicture(const QPoint& p) {
  const int size = StereoState.PictureSize;
  return p.x() >= 0 && p.x() < size && p.y() >= 0 && p.y() < size;
}

// The stereo picture's size into StereoState, for the projection and the trackball.
void UsePicture(const TPictures& pictures) {
  StereoState.PictureSize = pictures.StereoBitmap.width();
  StereoState.PixelScale = StereoState.PictureSize / static_cast<long double>(DefaultHullSize);
}

void UseFrame(const TFrame& frame) {
  StereoState.DrawX = frame.X;
  StereoState.DrawY = frame.Y;
  StereoState.DrawDepth = frame.Depth;
}

}  // namespace

bool CanShowStereo(bool figureDrawn) { return figureDrawn || Prepared; }

void PrepareStereo(bool figureDrawn) {
  if (!figureDrawn) return;
  TStereoState& s = StereoState;
  s.AxisX = Glob::ViewAxisX;
  s.AxisY = Glob::ViewAxisY;
  s.AxisZ = Glob::ViewAxisZ;
  s.Centre = Glob::FigureCentre;
  s.Eye = Glob::EyePoint;
  s.Scale = Glob::ViewScale;
  s.EyeDepth = Glob::EyeDepth;
  s.ShiftX = Glob::ViewShiftX;
  s.ShiftY = Glob::ViewShiftY;
  s.OffsetX = Glob::ViewOffsetX;
  s.OffsetY = Glob::ViewOffsetY;
  const TVector3 size = Glob::BoxMax - Glob::BoxMin;
  for (int i = 0; i <= 1; ++i)
    for (int j = 0; j <= 1; ++j)
      for (int k = 0; k <= 1; ++k)
        s.Corners[i][j][k] = {Glob::BoxMin.x + i * size.x, Glob::BoxMin.y + j * size.y, Glob::BoxMin.z + k * size.z};
  s.SphereR2 = 0.175L * Dot(size, size);
  UpdateFrames();
  Prepared = true;
}

void UpdateFrames() {
  TStereoState& s = StereoState;
  const TVector3 toEye = s.Eye - s.Centre;
  s.EyeDist2 = Dot(toEye, toEye);
  s.EyeDist = std::sqrt(s.EyeDist2);
  s.ScaleAbs = std::fabs(s.Scale);
  s.ScaleAbs2 = s.ScaleAbs * s.ScaleAbs;
  // A figure of one point (a constant curve) has no depth to show, and its view, framed
  // for a figure of no size, would magnify the turn of either camera beyond any picture:
  // both cameras look along the view axis and show the point where the shaded view does.
  if (s.SphereR2 == 0) {
    s.RedFrame = s.TealFrame = {s.AxisX, s.AxisY, s.AxisZ};
    return;
  }
  s.RedFrame = {SinHalfAngle * s.AxisZ + CosHalfAngle * s.AxisX, s.AxisY,
                CosHalfAngle * s.AxisZ - SinHalfAngle * s.AxisX};
  s.TealFrame = {CosHalfAngle * s.AxisX - SinHalfAngle * s.AxisZ, s.AxisY,
                 CosHalfAngle * s.AxisZ + SinHalfAngle * s.AxisX};
}

QPoint StereoProject(const TVector3& p) {
  const TStereoState& s = StereoState;
  const long double k = s.Scale / (Dot(p, s.DrawDepth) - s.EyeDepth);
  return QPoint(RoundChecked(((Dot(p, s.DrawX) - s.ShiftX) * k - s.OffsetX) * s.PixelScale),
                RoundChecked(((Dot(p, s.DrawY) - s.ShiftY) * k - s.OffsetY) * s.PixelScale));
}

void DrawWireFrame(QPainter& painter, const Bitangents::TAnalysis& analysis) {
  const auto line = [&painter](const TVector3& a, const TVector3& b) {
    painter.drawLine(StereoProject(a), StereoProject(b));
  };
  const auto& c = StereoState.Corners;
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
  if (Sampling::CurvePointHigh < 0) return;
  QPoint pen = StereoProject(Sampling::CurvePoints.at(0).Point);
  bool penInside = InsidePicture(pen);
  for (int i = 1; i <= Sampling::CurvePointHigh; ++i) {
    const QPoint next = StereoProject(Sampling::CurvePoints.at(i).Point);
    const bool nextInside = InsidePicture(next);
    if (penInside && nextInside) painter.drawLine(pen, next);
    pen = next;
    penInside = nextInside;
  }
}

void DrawStereo(TPictures& pictures, const Bitangents::TAnalysis& analysis) {
  UsePicture(pictures);
  QPainter painter(&pictures.StereoBitmap);
  painter.fillRect(pictures.StereoBitmap.rect(), Qt::black);

  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.setPen(QPen(PaletteQColor(30), 1));
  UseFrame(StereoState.RedFrame);
  DrawWireFrame(painter, analysis);

  painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
  painter.setPen(QPen(PaletteQColor(31), 1));
  UseFrame(StereoState.TealFrame);
  DrawWireFrame(painter, analysis);
}

TVector3 StereoSphere(int x, int y) {
  const TStereoState& s = StereoState;
  const long double u = x / s.PixelScale + s.OffsetX;
  const long double v = y / s.PixelScale + s.OffsetY;
  const long double l = u * u + v * v + s.ScaleAbs2;
  long double g = s.EyeDist2 * s.ScaleAbs2 - l * (s.EyeDist2 - s.SphereR2);
  if (g < 1e-10L) g = 0;
  const long double lambda = (s.EyeDist * s.ScaleAbs - std::sqrt(g + s.SphereR2)) / l;
  const TVector3 w = lambda * (u * s.AxisX + v * s.AxisY + s.Scale * s.AxisZ) + s.Eye - s.Centre;
  return w / Length(w);
}

void StoreStereo() {
  const TStereoState& s = StereoState;
  Glob::ViewAxisX = s.AxisX;
  Glob::ViewAxisY = s.AxisY;
  Glob::ViewAxisZ = s.AxisZ;
  Glob::FigureCentre = s.Centre;
  Glob::EyePoint = s.Eye;
  Glob::ViewScale = s.Scale;
  Glob::EyeDepth = s.EyeDepth;
  Glob::ViewShiftX = s.ShiftX;
  Glob::ViewShiftY = s.ShiftY;
  Glob::ViewOffsetX = s.OffsetX;
  Glob::ViewOffsetY = s.OffsetY;
  // The shaded view's trackball is centred on the figure's projection.
  Glob::ScreenCentre = Framing::ProjectPoint(Glob::FigureCentre);
}

void ShowStereo(TPictures& pictures, bool figureDrawn, const Bitangents::TAnalysis& analysis) {
  if (!CanShowStereo(figureDrawn)) return;
  PrepareStereo(figureDrawn);
  DrawStereo(pictures, analysis);
}

void StereoDrag(TPictures& pictures, const Bitangents::TAnalysis& analysis, int oldX, int oldY, int newX, int newY,
                const MueveFigura::TShiftState& keys) {
  PrepareStereo(true);
  UsePicture(pictures);
  TStereoState& s = StereoState;
  switch (MueveFigura::ModeOf(keys)) {
    case MueveFigura::TDragMode::Shift:
      s.OffsetX += (static_cast<long double>(oldX) - newX) / s.PixelScale;
      s.OffsetY += (static_cast<long double>(oldY) - newY) / s.PixelScale;
      break;
    case MueveFigura::TDragMode::Zoom:
      s.Scale = MueveFigura::ZoomedScale(s.Scale, oldY, newY, s.PixelScale);
      s.ScaleAbs = std::fabs(s.Scale);
      s.ScaleAbs2 = s.ScaleAbs * s.ScaleAbs;
      break;
    case MueveFigura::TDragMode::Rotate: {
      const TVector3 uOld = StereoSphere(oldX, oldY);
      const TVector3 uNew = StereoSphere(newX, newY);
      if (!MueveFigura::RotateRows(uOld, uNew, s.AxisX, s.AxisY, s.AxisZ)) break;
      // The camera keeps its distance from Centre and looks along the new depth axis.
      s.EyeDepth = Dot(s.AxisZ, s.Centre) + s.EyeDist;
      s.ShiftX = Dot(s.AxisX, s.Centre);
      s.ShiftY = Dot(s.AxisY, s.Centre);
      s.Eye = s.EyeDepth * s.AxisZ + s.ShiftX * s.AxisX + s.ShiftY * s.AxisY;
      UpdateFrames();
      break;
    }
  }
  DrawStereo(pictures, analysis);
  StoreStereo();
}

}  // namespace Estereo
