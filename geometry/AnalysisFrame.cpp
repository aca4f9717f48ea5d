#include "geometry/AnalysisFrame.h"

#include <algorithm>
#include <cmath>
#include <utility>
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
TVector3 MedianPoint() {
  std::vector<long double> c[3];
  for (int k = 0; k <= Sampling::Figure.CurvePointHigh; ++k) {
    const TVector3& p = Sampling::Figure.CurvePoints.at(k).Point;
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
void FrameOfFigure(TVector3& centre, long double& unit) {
  centre = Sampling::Figure.FigureCentre;
  unit = Sampling::Figure.FigureDiagonal;
  const long double length = Sampling::LengthEstimate(Sampling::Figure);
  if (Sampling::Figure.CurvePointHigh < 0 || !(unit > WildBox * length) || !(length > 0)) return;
  centre = MedianPoint();
  unit = length;
}

}  // namespace

Scope::Scope(TFrame& frame, Bitangents::TAnalysis& analysis) : frame_(frame), analysis_(analysis) {
  TVector3 centre;
  long double unit;
  FrameOfFigure(centre, unit);
  if (!Finite(centre) || !std::isfinite(unit))
    throw WendrixError("The curve is too large to analyse: its size does not fit the number range");
  if (!(unit > 0)) return;
  analysable_ = true;
  world_ = {Sampling::Figure.CurvePoints, Sampling::Figure.SampleBuffer, Sampling::Figure.ChordScale,
            Sampling::Figure.FigureDiagonal, Sampling::Figure.FillSpacing};
  frame_ = {centre, unit};
  for (TVector3& s : Sampling::Figure.SampleBuffer) s = frame_.ToFrame(s);
  for (Mastil& m : Sampling::Figure.CurvePoints) {
    m.Point = frame_.ToFrame(m.Point);
    m.Tangent = m.Tangent / unit;
    m.Moment = Cross(m.Point, m.Tangent);
    // A product of three chords: only its sign is read, which the frame keeps.
    m.Torsion = m.Torsion / unit / unit / unit;
  }
  Sampling::Figure.ChordScale /= unit;
  Sampling::Figure.FigureDiagonal /= unit;
  Sampling::Figure.FillSpacing /= unit;
}

Scope::~Scope() {
  if (!analysable_) return;
  for (std::size_t k = 0; k < world_.CurvePoints.size() && k < Sampling::Figure.CurvePoints.size(); ++k)
    world_.CurvePoints[k].Neighbours = std::move(Sampling::Figure.CurvePoints[k].Neighbours);
  Sampling::Figure.CurvePoints = std::move(world_.CurvePoints);
  Sampling::Figure.SampleBuffer = std::move(world_.Samples);
  Sampling::Figure.ChordScale = world_.ChordScale;
  Sampling::Figure.FigureDiagonal = world_.FigureDiagonal;
  Sampling::Figure.FillSpacing = world_.FillSpacing;
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
