#include "render/Raster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "formula/Checks.h"
#include "geometry/Parallel.h"
#include "geometry/SharedState.h"
#include "render/Palette.h"
#include "render/Pictures.h"

namespace Raster {

namespace {

constexpr long double MaxDepth = 32767;

std::size_t CellCount(int size) { return static_cast<std::size_t>(size) * static_cast<std::size_t>(size); }

// The depth buffer of a picture of size x size pixels.
template <class Cells>
struct TDepths {
  Cells* cells;
  int size;
  Cells& Cell(int x, int y) const { return cells[x * size + y]; }
};

// The depth buffer of `pictures`; RangeError when the picture is not a square of 24-bit
// pixels or the buffer has not one cell per pixel.
TDepths<std::uint32_t> Depths(TPictures& pictures) {
  RequirePicture(pictures);
  const int size = pictures.HullSize();
  if (pictures.DepthBuffer.size() != CellCount(size)) throw RangeError();
  return {pictures.DepthBuffer.data(), size};
}
TDepths<const std::uint32_t> Depths(const TPictures& pictures) {
  RequirePicture(pictures);
  const int size = pictures.HullSize();
  if (pictures.DepthBuffer.size() != CellCount(size)) throw RangeError();
  return {pictures.DepthBuffer.data(), size};
}

std::uint16_t Front(std::uint32_t cell) { return static_cast<std::uint16_t>(cell & 0xFFFFu); }
std::int16_t Back(std::uint32_t cell) { return static_cast<std::int16_t>(cell >> 16); }

// Direct access to the 24-bit rows of a HullBitmap, whose pixels are bytes blue, green, red.
class Canvas {
 public:
  explicit Canvas(TPictures& pictures) {
    RequirePicture(pictures);
    bits_ = pictures.HullBitmap.bits();  // detaches once here, not per pixel
    stride_ = pictures.HullBitmap.bytesPerLine();
  }
  void Set(int x, int y, const std::uint8_t* bgr) {
    std::uint8_t* p = bits_ + y * stride_ + 3 * x;
    p[0] = bgr[0];
    p[1] = bgr[1];
    p[2] = bgr[2];
  }

 private:
  std::uint8_t* bits_;
  qsizetype stride_;
};

// Blue, green, red bytes of a toolkit colour value.
struct Bgr {
  std::uint8_t b[3];
};
Bgr FromColour(std::uint32_t colour) {
  return {{static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
           static_cast<std::uint8_t>(colour)}};
}

[[noreturn]] void ThrowRange() { throw RangeError(); }
void RequireNumber(long double v) {
  if (std::isnan(v)) ThrowRange();
}
void RequireNumbers(const ScreenPoint& p) {
  RequireNumber(p.x);
  RequireNumber(p.y);
  RequireNumber(p.z);
}

// v cut to lo..hi; RangeError for a NaN.
long double Cut(long double v, long double lo, long double hi) {
  RequireNumber(v);
  return v < lo ? lo : (v > hi ? hi : v);
}

long double ClampDepth(long double z) { return Cut(z, 0, MaxDepth); }

// A whole number |v| < 2^63 as an integer, by fistp: exact in any rounding mode. A plain
// conversion would switch the FPU's rounding mode twice, which would dominate the time
// of a picture.
std::int64_t WholeToInteger(long double v) {
  std::int64_t i;
  asm("fistpll %0" : "=m"(i) : "t"(v) : "st");
  return i;
}

// The integer nearest to v, halves to even, for |v| < 2^61: adding 1.5 * 2^63 leaves
// exactly that integer in the low bits of the 64-bit significand, as frndint does in the
// unit's rounding mode, without a trip of the value through memory.
long double NearestWhole(long double v) {
  constexpr long double shift = 0x1.8p63L;
  return (v + shift) - shift;
}

// std::floor and std::ceil of any v, without the library call below 2^61: the nearest
// integer, less one when it lies above v.
long double FloorReal(long double v) {
  if (!(__builtin_fabsl(v) < 0x1p61L)) return std::floor(v);
  const long double r = NearestWhole(v);
  return r > v ? r - 1 : r;
}
long double CeilReal(long double v) { return -FloorReal(-v); }

// Floor and ceiling of v for |v| < 2^61 as integers, for the per-pixel and per-row
// conversions: the nearest integer, corrected by a comparison taken as a number, which
// costs no branch (one that half the spans' ends mispredicted).
int NearestSmall(long double v) { return static_cast<int>(WholeToInteger(NearestWhole(v))); }
int FloorSmall(long double v) {
  const long double r = NearestWhole(v);
  return static_cast<int>(WholeToInteger(r)) - static_cast<int>(r > v);
}
int CeilSmall(long double v) {
  const long double r = NearestWhole(v);
  return static_cast<int>(WholeToInteger(r)) + static_cast<int>(r < v);
}
int FloorDepth(long double z) { return FloorSmall(ClampDepth(z)); }

// Floor of 0 <= z < 2^31: its truncation, by fisttp (SSE3), which truncates whatever
// the rounding mode, in one instruction; FloorSmall where the processor lacks it.
const bool HasFisttp = [] {
  __builtin_cpu_init();  // this runs among the static initializers
  return __builtin_cpu_supports("sse3") != 0;
}();
// Inlined: a call would pass the real through memory, once per pixel.
__attribute__((always_inline)) inline int TruncNonNegative(long double z) {
  if (!HasFisttp) return FloorSmall(z);
  int i;
  asm("fisttpl %0" : "=m"(i) : "t"(z) : "st");
  return i;
}

// The whole numbers first..last (already integral reals, possibly huge) cut to lo..hi.
// Cutting first keeps every conversion in range whatever the coordinates were.
struct Span {
  int first, last;
};
Span Clip(long double first, long double last, int lo, int hi) {
  RequireNumber(first);
  RequireNumber(last);
  first = std::max(first, static_cast<long double>(lo));
  last = std::min(last, static_cast<long double>(hi));
  if (first > last) return {1, 0};
  return {TruncNonNegative(first), TruncNonNegative(last)};
}

// Floor(v) into `index` when lo <= Floor(v) <= hi; false otherwise; RangeError for a
// NaN. Tested on v itself, so that a huge or infinite v is never converted.
bool FloorWithin(long double v, int lo, int hi, int& index) {
  RequireNumber(v);
  if (!(v >= lo && v < hi + 1)) return false;
  index = FloorSmall(v);
  return true;
}

// The rows first..last of a picture: all of it, or the band one thread draws.
struct Rows {
  int first, last;
  bool Has(int y) const { return y >= first && y <= last; }
};

// Steps from a to b along one axis u, one pixel per whole u with 0 < u < size: the other
// coordinate v and the depth are interpolated at u, and visit(u, v, depth) is called
// when 0 < v < size.
template <class Visit>
void StepAxis(int size, long double ua, long double ub, long double va, long double vb, long double za,
              long double zb, Visit visit) {
  const long double du = ub - ua;
  const long double mv = (vb - va) / du, mz = (zb - za) / du;
  const Span steps =
      du > 0 ? Clip(FloorReal(ua), FloorReal(ub), 1, size - 1) : Clip(FloorReal(ub), FloorReal(ua), 1, size - 1);
  for (int u = steps.first; u <= steps.last; ++u) {
    int v;
    if (FloorWithin(va + mv * (u - ua), 1, size - 1, v)) visit(u, v, RoundDepth(za + mz * (u - ua)));
  }
}

// Visits the pixels of segment a-b as visit(x, y, depth): one pixel per column when the
// segment is mostly horizontal, one per row otherwise; nothing when a = b.
template <class Visit>
void StepSegment(int size, const ScreenPoint& a, const ScreenPoint& b, Visit visit) {
  RequireNumbers(a);
  RequireNumbers(b);
  const long double dx = b.x - a.x, dy = b.y - a.y;
  if (std::fabs(dx) > std::fabs(dy))
    StepAxis(size, a.x, b.x, a.y, b.y, a.z, b.z, visit);
  else if (dy != 0)
    StepAxis(size, a.y, b.y, a.x, b.x, a.z, b.z, [&visit](int y, int x, std::int32_t z) { visit(x, y, z); });
}

// Visits the pixels of triangle abc inside the size x size picture and the rows of
// `band` as visit(x, y, low, high, depth), rows from top to bottom and each row's span
// from left to right: depth() computes the pixel's depth, which lies within low..high,
// so that a visitor whose choice these bounds settle need not compute it.
template <class Visit>
void ScanTriangle(int size, Rows band, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, bool widen,
                  Visit visit) {
  RequireNumbers(a);
  RequireNumbers(b);
  RequireNumbers(c);
  // Sort by y with strict comparisons, so that vertices of equal y keep their order.
  const ScreenPoint* v0 = &a;
  const ScreenPoint* v1 = &b;
  const ScreenPoint* v2 = &c;
  if (v1->y < v0->y) std::swap(v0, v1);
  if (v2->y < v1->y) std::swap(v1, v2);
  if (v1->y < v0->y) std::swap(v0, v1);

  const long double dx10 = v1->x - v0->x, dy10 = v1->y - v0->y;
  const long double dx20 = v2->x - v0->x, dy20 = v2->y - v0->y;
  const long double dy21 = v2->y - v1->y;
  const long double det = dx10 * dy20 - dx20 * dy10;
  if (std::fabs(det) < 1e-9L) return;
  const long double gx = (dy20 * (v1->z - v0->z) - dy10 * (v2->z - v0->z)) / det;
  const long double gy = (dx10 * (v2->z - v0->z) - dx20 * (v1->z - v0->z)) / det;
  const long double m02 = dx20 / dy20;  // dy20 > 0: a flat triangle has det = 0

  const int extra = widen ? 1 : 0;
  // Inlined at its four calls: a call would pass the reals through memory.
  auto span = [&](int y, long double left, long double right) __attribute__((always_inline)) {
    // Cutting the ends to -2..size + 1 first leaves the visible part of the span unchanged.
    const int first = std::max(CeilSmall(Cut(left, -2, size + 1)), 0);
    const int last = std::min(FloorSmall(Cut(right, -2, size + 1)) + extra, size - 1);
    // The depth is V0.z + gy (y - V0.y) + gx (x - V0.x), summed in that order. Local
    // copies of the operands and of `visit`: the pixel writes could alias what lies
    // behind a reference, which would reload every operand at every pixel.
    const long double rowDepth = v0->z + gy * (y - v0->y), x0 = v0->x, slope = gx;
    const auto depth = [rowDepth, x0, slope](long double x) { return rowDepth + slope * (x - x0); };
    if (first > last) return;
    Visit put = visit;
    // Each rounding of depth(x) is monotonic in x, so depth(x) lies between its values
    // at the span's ends: when both are storable depths every pixel's is, and needs
    // neither the NaN test nor the clamp. x runs as a real too, exact as a whole number.
    const long double zFirst = depth(first), zLast = depth(last);
    if (zFirst >= 0 && zFirst <= MaxDepth && zLast >= 0 && zLast <= MaxDepth) {
      const int depthFirst = TruncNonNegative(zFirst), depthLast = TruncNonNegative(zLast);
      const int low = std::min(depthFirst, depthLast), high = std::max(depthFirst, depthLast);
      put(first, y, depthFirst, depthFirst, [depthFirst] { return depthFirst; });
      long double real = first + 1;
      for (int x = first + 1; x < last; ++x, real += 1)
        put(x, y, low, high, [&depth, &real] { return TruncNonNegative(depth(real)); });
      if (last > first) put(last, y, depthLast, depthLast, [depthLast] { return depthLast; });
    } else {
      // No bounds: every depth is computed, so that a NaN among them raises RangeError.
      constexpr int none = std::numeric_limits<int>::min(), all = std::numeric_limits<int>::max();
      for (int x = first; x <= last; ++x) put(x, y, none, all, [&depth, x] { return FloorDepth(depth(x)); });
    }
  };

  if (dy10 > 0) {
    const long double m01 = dx10 / dy10;
    const Span rows = Clip(CeilReal(v0->y), FloorReal(v1->y), band.first, band.last);
    for (int y = rows.first; y <= rows.last; ++y) {
      const long double d = y - v0->y;
      const long double xs = v0->x + m01 * d, xl = v0->x + m02 * d;
      if (m01 <= m02)
        span(y, xs, xl);
      else
        span(y, xl, xs);
    }
  }
  if (dy21 > 0) {
    const long double m12 = (v2->x - v1->x) / dy21;
    // A row on which V1 lies exactly belongs to the upper part only.
    const Span rows = Clip(FloorReal(v1->y) + 1, FloorReal(v2->y), band.first, band.last);
    for (int y = rows.first; y <= rows.last; ++y) {
      const long double xl = v0->x + m02 * (y - v0->y), xs = v1->x + m12 * (y - v1->y);
      if (xs <= xl)
        span(y, xs, xl);
      else
        span(y, xl, xs);
    }
  }
}

// Lowers FrontDepth and raises BackDepth of the cell to z (0..32767) where needed.
void WriteDepth(std::uint32_t& cell, std::int32_t z) {
  std::int32_t front = Front(cell), back = Back(cell);
  if (z < front) front = z;
  if (z > back) back = z;
  cell = (static_cast<std::uint32_t>(static_cast<std::uint16_t>(back)) << 16) | static_cast<std::uint32_t>(front);
}

// The primitives within a band of rows. The depth buffer goes by value: the painted
// bytes could alias a reference to it.
using Cells = TDepths<std::uint32_t>;

// The pixel of end point e, when it lies in the picture's rows of `band` and at its
// front. A band reads no cell of another band's rows, which another thread may write.
template <class Cell>
bool EndAtFrontIn(TDepths<Cell> depths, Rows band, const ScreenPoint& e, int& x, int& y) {
  if (!FloorWithin(e.x, 0, depths.size - 1, x) || !FloorWithin(e.y, 0, depths.size - 1, y) || !band.Has(y))
    return false;
  return RoundDepth(e.z) < Front(depths.Cell(x, y)) + 40;
}

void DepthSegmentIn(Cells depths, Rows band, const ScreenPoint& a, const ScreenPoint& b) {
  StepSegment(depths.size, a, b, [depths, band](int x, int y, std::int32_t z) {
    if (band.Has(y)) WriteDepth(depths.Cell(x, y), z);
  });
}

void PaintSegmentIn(Cells depths, Canvas canvas, Rows band, const ScreenPoint& a, const ScreenPoint& b,
                    std::uint32_t colour) {
  const Bgr body = FromColour(colour);
  StepSegment(depths.size, a, b, [depths, band, &canvas, &body](int x, int y, std::int32_t z) {
    if (band.Has(y) && z <= Front(depths.Cell(x, y))) canvas.Set(x, y, body.b);
  });
  const Bgr mark = FromColour(Yellow);
  for (const ScreenPoint* e : {&a, &b}) {
    int x, y;
    if (EndAtFrontIn(depths, band, *e, x, y)) canvas.Set(x, y, mark.b);
  }
}

void DepthTriangleIn(Cells depths, Rows band, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c,
                     bool widen) {
  ScanTriangle(depths.size, band, a, b, c, widen,
               [depths](int x, int y, int, int, const auto& depth) { WriteDepth(depths.Cell(x, y), depth()); });
}

void PaintTriangleIn(Cells depths, Canvas canvas, Rows band, const ScreenPoint& a, const ScreenPoint& b,
                     const ScreenPoint& c, int shade, bool widen) {
  const std::uint8_t* palette = &Palette::ShadePalette()[3 * shade];
  const Bgr colour{{palette[0], palette[1], palette[2]}};
  // Most pixels are settled by the span's depth bounds alone: behind the front as a
  // whole, or before it as a whole.
  ScanTriangle(depths.size, band, a, b, c, widen,
               [depths, canvas, colour](int x, int y, int low, int high, const auto& depth) mutable {
                 const int limit = Front(depths.Cell(x, y)) + 2;
                 if (high < limit || (low < limit && depth() < limit)) canvas.Set(x, y, colour.b);
               });
}

Rows AllRows(Cells depths) { return {0, depths.size - 1}; }

// Runs the queued primitives in order within `band`.
void RunBand(const std::vector<RasterCommand>& queue, Cells depths, Canvas canvas, Rows band) {
  using Kind = RasterCommand::TKind;
  for (const RasterCommand& c : queue) switch (c.Kind) {
      case Kind::DepthSegment:
        DepthSegmentIn(depths, band, c.A, c.B);
        break;
      case Kind::PaintSegment:
        PaintSegmentIn(depths, canvas, band, c.A, c.B, c.Colour);
        break;
      case Kind::DepthTriangle:
        DepthTriangleIn(depths, band, c.A, c.B, c.C, c.Widen);
        break;
      case Kind::PaintTriangle:
        PaintTriangleIn(depths, canvas, band, c.A, c.B, c.C, c.Shade, c.Widen);
        break;
    }
}

// Queues c when `pictures` queues its primitives; false when they run at once.
bool Queued(TPictures& pictures, const RasterCommand& c) {
  if (!pictures.QueueRaster) return false;
  RequireNumbers(c.A);
  RequireNumbers(c.B);
  RequireNumbers(c.C);
  pictures.RasterQueue.push_back(c);
  return true;
}

}  // namespace

void RequirePicture(const TPictures& pictures) {
  const QImage& image = pictures.HullBitmap;
  if (image.isNull() || image.width() != image.height() || image.format() != QImage::Format_BGR888)
    throw RangeError();
}

void ClearDepth(TPictures& pictures) { pictures.DepthBuffer.assign(CellCount(pictures.HullSize()), ClearedCell); }

std::uint16_t FrontDepth(const TPictures& pictures, int x, int y) {
  const auto depths = Depths(pictures);
  CheckIndex(x, depths.size);
  CheckIndex(y, depths.size);
  return Front(depths.Cell(x, y));
}

std::int16_t BackDepth(const TPictures& pictures, int x, int y) {
  const auto depths = Depths(pictures);
  CheckIndex(x, depths.size);
  CheckIndex(y, depths.size);
  return Back(depths.Cell(x, y));
}

std::int32_t RoundDepth(long double z) { return NearestSmall(ClampDepth(z)); }

bool EndAtFront(const TPictures& pictures, const ScreenPoint& e) {
  const auto depths = Depths(pictures);
  int x, y;
  return EndAtFrontIn(depths, Rows{0, depths.size - 1}, e, x, y);
}

void DepthSegment(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b) {
  if (Queued(pictures, {RasterCommand::TKind::DepthSegment, false, 0, 0, a, b, b})) return;
  const Cells depths = Depths(pictures);
  DepthSegmentIn(depths, AllRows(depths), a, b);
}

void PaintSegment(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b, std::uint32_t colour) {
  if (Queued(pictures, {RasterCommand::TKind::PaintSegment, false, 0, colour, a, b, b})) return;
  const Cells depths = Depths(pictures);
  PaintSegmentIn(depths, Canvas(pictures), AllRows(depths), a, b, colour);
}

void DepthTriangle(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c,
                   bool widen) {
  if (Queued(pictures, {RasterCommand::TKind::DepthTriangle, widen, 0, 0, a, b, c})) return;
  const Cells depths = Depths(pictures);
  DepthTriangleIn(depths, AllRows(depths), a, b, c, widen);
}

void PaintTriangle(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, int shade,
                   bool widen) {
  CheckIndex(shade, 256);
  if (Queued(pictures, {RasterCommand::TKind::PaintTriangle, widen, shade, 0, a, b, c})) return;
  const Cells depths = Depths(pictures);
  PaintTriangleIn(depths, Canvas(pictures), AllRows(depths), a, b, c, shade, widen);
}

TQueue::TQueue(TPictures& pictures) : pictures_(pictures) {
  pictures_.RasterQueue.clear();
  pictures_.QueueRaster = true;
}

TQueue::~TQueue() {
  pictures_.QueueRaster = false;
  pictures_.RasterQueue.clear();
}

int TQueue::Bands() { return Parallel::Threads(); }

void TQueue::Run(int bands) {
  pictures_.QueueRaster = false;
  // Read in place and cleared after: the queue keeps its room for the next picture,
  // which holds about as many pieces, instead of growing again from nothing.
  const std::vector<RasterCommand>& queue = pictures_.RasterQueue;
  const Cells depths = Depths(pictures_);
  const Canvas canvas(pictures_);
  bands = std::clamp(bands, 1, depths.size);
  Parallel::RunBands(bands, [&](int k) {
    RunBand(queue, depths, canvas,
            {Parallel::BandStart(depths.size, bands, k), Parallel::BandStart(depths.size, bands, k + 1) - 1});
  });
  pictures_.RasterQueue.clear();
}

}  // namespace Raster
