#include "render/MeshCircle.h"

#include <algorithm>
#include <cmath>

#include "formula/FunPars.h"
#include "geometry/SharedState.h"
#include "geometry/WorkCounters.h"

namespace HullMesh {

TParameterCircle::TParameterCircle(long double start, long double span, long double merge)
    : start_(start), span_(span), merge_(merge) {}

long double TParameterCircle::Wrap(long double u) const {
  long double r = std::fmod(u - start_, span_);
  if (r < 0) r += span_;
  if (!(r < span_)) r = 0;  // a remainder rounded up to the span is the start again
  return start_ + r;
}

long double TParameterCircle::Step(long double a, long double b) const {
  long double d = std::fmod(b - a, span_);
  if (d > span_ / 2) d -= span_;
  if (d <= -span_ / 2) d += span_;
  return d;
}

long double TParameterCircle::Distance(long double a, long double b) const { return std::fabs(Step(a, b)); }

void TParameterCircle::Add(long double u) { params_.push_back(Wrap(u)); }

void TParameterCircle::Join(long double a, long double b) {
  Add(a), Add(b);
  joined_.emplace_back(a, b);
}

void TParameterCircle::Finish(const FunPars::TCurve& curve, std::vector<TVector3>& points) {
  std::sort(params_.begin(), params_.end());
  std::vector<long double> kept;
  for (const long double u : params_)
    if (kept.empty() || u - kept.back() >= merge_) kept.push_back(u);
  // The last ones may lie just before the start, next to the first across the seam.
  while (kept.size() > 1 && kept.front() + span_ - kept.back() < merge_) kept.pop_back();
  params_ = kept;
  // Joined parameters lead to the lowest position of their group, whose vertex they share.
  std::vector<std::size_t> lead(params_.size());
  for (std::size_t k = 0; k < lead.size(); ++k) lead[k] = k;
  const auto root = [&lead](std::size_t k) {
    while (lead[k] != k) k = lead[k];
    return k;
  };
  for (const auto& [a, b] : joined_) {
    const std::size_t x = root(Position(a)), y = root(Position(b));
    lead[std::max(x, y)] = std::min(x, y);
  }
  vertex_.clear();
  for (std::size_t k = 0; k < params_.size(); ++k) {
    WorkCounters::PollCancel();
    if (root(k) < k) {
      vertex_.push_back(vertex_.at(root(k)));
      continue;
    }
    TVector3 p;
    FunPars::EvalCurve(curve, params_[k], p);
    vertex_.push_back(static_cast<std::int32_t>(points.size()));
    points.push_back(p);
  }
}

std::size_t TParameterCircle::LowerBound(long double u) const {
  return static_cast<std::size_t>(std::lower_bound(params_.begin(), params_.end(), Wrap(u)) - params_.begin());
}

std::size_t TParameterCircle::Position(long double u) const {
  const std::size_t n = params_.size();
  const std::size_t at = LowerBound(u);
  const std::size_t after = at % n, before = (at + n - 1) % n;
  return Distance(params_.at(before), u) <= Distance(params_.at(after), u) ? before : after;
}

std::int32_t TParameterCircle::VertexAt(long double u) const { return vertex_.at(Position(u)); }

void TParameterCircle::Between(long double a, long double way, std::vector<TPassed>& passed) const {
  passed.clear();
  const std::size_t n = params_.size();
  if (n == 0) return;
  // From the vertex of a to the vertex of a + way, round the circle in the way's
  // direction: the arc passes exactly the vertices that lie between them.
  const std::size_t from = Position(a), to = Position(a + way);
  if (from == to) return;
  const std::size_t step = way > 0 ? 1 : n - 1;
  const auto along = [&](std::size_t k) {
    const long double d = way > 0 ? params_[k] - params_[from] : params_[from] - params_[k];
    return d < 0 ? d + span_ : d;
  };
  const long double length = along(to);
  for (std::size_t k = (from + step) % n; k != to; k = (k + step) % n) passed.push_back({vertex_[k], along(k) / length});
}

}  // namespace HullMesh
