#include "geometry/AnalysisFrame.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"

namespace AnalysisFrame {
namespace {

bool Finite(const TVector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A box more than this many times the curve's estimated length across was blown up
// by a pole of the formulas, where a few curve points lie far out.
constexpr long double WildBox = 10;

// The per-coordinate median of the curve points.
TVector3 MedianPoint(const Sampling::TFigure& figure) {
  std::vector<long double> c[3];
  for (int k = 0; k <= figure.CurvePointHigh; ++k) {
    const TVector3& p = figure.CurvePoints.at(k).Point;
    c[0].push_back(p.x);
    c[1].push_back(p.y);
    c[2].push_back(p.z);
  }
  long double m[3];
  for (int a = 0; a < 3; ++a) {
    auto at = c[a].begin() + static_cast<std::ptrdiff_t>(c[a].size() / 2);
    std::nth_element(c[a].begin(), at, c[a].end());
    m[a] = *at;
  }
  return {m[0], m[1], m[2]};
}

// The framed figure's centre and diagonal; for a box blown up by a pole, the median
// curve point and the curve's estimated length instead.
void FrameOfFigure(const Sampling::TFigure& figure, TVector3& centre, long double& unit) {
  centre = figure.FigureCentre;
  unit = figure.FigureDiagonal;
  const long double length = Sampling::LengthEstimate(figure);
  if (figure.CurvePointHigh < 0 || !(unit > WildBox * length) || !(length > 0)) return;
  centre = MedianPoint(figure);
  unit = length;
}

}  // namespace

TFramedFigure FrameFigure(const Sampling::TFigure& world) {
  TVector3 centre;
  long double unit;
  FrameOfFigure(world, centre, unit);
  if (!Finite(centre) || !std::isfinite(unit))
    throw WendrixError("The curve is too large to analyse: its size does not fit the number range");
  TFramedFigure framed{{}, world, unit > 0};
  if (!framed.Analysable) return framed;
  framed.Frame = {centre, unit};
  Sampling::TFigure& f = framed.Figure;
  for (TVector3& s : f.SampleBuffer) s = framed.Frame.ToFrame(s);
  for (Mastil& m : f.CurvePoints) {
    m.Point = framed.Frame.ToFrame(m.Point);
    m.Tangent = m.Tangent / unit;
    m.Moment = Cross(m.Point, m.Tangent);
    // A product of three chords: only its sign is read, which the frame keeps.
    m.Torsion = m.Torsion / unit / unit / unit;
  }
  f.BoxMin = framed.Frame.ToFrame(f.BoxMin);
  f.BoxMax = framed.Frame.ToFrame(f.BoxMax);
  f.FigureCentre = framed.Frame.ToFrame(f.FigureCentre);
  f.BoxSize = f.BoxSize / unit;
  f.ChordScale /= unit;
  f.FigureDiagonal /= unit;
  f.FillSpacing /= unit;
  return framed;
}

Scope::~Scope() {
  const std::size_t count = std::min<std::size_t>(analysis_.BitangentList.size(),
                                                  static_cast<std::size_t>(std::max(analysis_.BitangentCount, 0)) + 1);
  for (std::size_t k = 1; k < count; ++k) {
    BitangentRecord& r = analysis_.BitangentList[k];
    r.PointS = frame_.ToWorld(r.PointS);
    r.PointT = frame_.ToWorld(r.PointT);
  }
  // Offsets of the face planes: n . (Centre + Unit q) = n . Centre + Unit (n . q).
  for (Tritangents::FlatFace& face : analysis_.FlatFaces)
    face.Offset = Dot(face.Normal, frame_.Centre) + frame_.Unit * face.Offset;
}

}  // namespace AnalysisFrame
