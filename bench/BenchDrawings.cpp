// The drawing sequence of a fixed set of curves, and the mouse-drag step.
#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "app/core/DragGate.h"
#include "bench/Benchmarks.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"
#include "geometry/WorkCounters.h"
#include "render/HullPicture.h"
#include "render/SmallPictures.h"
#include "views/Estereo.h"

namespace Benchmarks {

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// Reads the curve's input into `data` as "Draw It" does and places p and q. Returns
// the milliseconds of the read.
double ReadCurve(Drawing::TDrawingData& data, const TBenchCurve& curve) {
  CurveInput::TInputFields fields = CurveInput::DefaultFields();
  fields.X = curve.X;
  fields.Y = curve.Y;
  fields.Z = curve.Z;
  bool ready = false;
  const auto start = TClock::now();
  const CurveInput::TReadResult read = CurveInput::LeeDatos(data, fields, ready);
  const double ms = MsSince(start);
  if (read.Outcome != CurveInput::TReadOutcome::Changed)
    throw std::runtime_error(curve.Name + ": input refused: " + read.Message);
  data.Input.PValue = curve.P;
  data.Input.QValue = curve.Q;
  return ms;
}

// Nanoseconds per EvalCurve call over passes of 4,101 values of t across the
// accepted interval, on the curve of `data` as drawn.
double EvalCurveNs(const Drawing::TDrawingData& data) {
  const Glob::TCurveInput& input = data.Input;
  constexpr int Values = 4101, Passes = 10;
  TVector3 point;
  long double sink = 0;
  const auto start = TClock::now();
  for (int pass = 0; pass < Passes; ++pass)
    for (int i = 0; i < Values; ++i) {
      FunPars::EvalCurve(data.Curve, input.TMin + (input.TMax - input.TMin) * i / (Values - 1), point);
      sink += point.x + point.y + point.z;
    }
  volatile long double keep = sink;
  (void)keep;
  return MsSince(start) * 1e6 / (Values * Passes);
}

void StartUp(TPictures& pictures) {
  if (!GlobInitialize() || !CreatePictures(pictures)) throw std::runtime_error("start-up failed");
}

}  // namespace

std::vector<TBenchCurve> BenchCurves() {
  return {
      {"default curve, p = 1", "cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", 1, 0},
      {"(cos t, sin t, cos 3t)", "cos(t)", "sin(t)", "cos(3t)", 0, 0},
      {"trefoil knot", "sin(t)+2sin(2t)", "cos(t)-2cos(2t)", "-sin(3t)", 0, 0},
      {"torus knot (2, 5)", "(2+cos(5t))cos(2t)", "(2+cos(5t))sin(2t)", "sin(5t)", 0, 0},
      {"many curve points", "cos(t)+0.15cos(13t)", "sin(t)+0.15sin(13t)", "0.6sin(2t)+0.1cos(11t)", 0, 0},
      {"wave K = 50", "cos(t)", "sin(t)", "0.5cos(50t)", 0, 0},
      {"torus knot (2, 21)", "(2+cos(21t))cos(2t)", "(2+cos(21t))sin(2t)", "sin(21t)", 0, 0},
  };
}

std::vector<TDrawingTiming> TimeDrawings(const std::vector<TBenchCurve>& curves, int runs) {
  TPictures pictures;
  StartUp(pictures);
  std::vector<TDrawingTiming> timings;
  TView view;
  Drawing::TDrawingData data;
  for (const TBenchCurve& curve : curves) {
    TDrawingTiming timing;
    timing.Name = curve.Name;
    std::vector<double> read, sample, analyze, square, normals, hull, total, drawIt, evaluator, evalNs;
    for (int run = 0; run < runs; ++run) {
      FunPars::UseNativeCode(false);
      const double interpretedRead = ReadCurve(data, curve);
      evaluator.push_back(interpretedRead + Drawing::DrawFigure(data, pictures, view).Total);
      FunPars::UseNativeCode(true);
      read.push_back(ReadCurve(data, curve));
      WorkCounters::Reset();
      const Drawing::TStageTimes stages = Drawing::DrawFigure(data, pictures, view);
      timing.Evaluations = WorkCounters::ThisThread.CurveEvaluations;
      sample.push_back(stages.Sample);
      analyze.push_back(stages.Analyze);
      square.push_back(stages.Square);
      normals.push_back(stages.Normals);
      hull.push_back(stages.Hull);
      total.push_back(stages.Total);
      drawIt.push_back(read.back() + stages.Total);
      evalNs.push_back(EvalCurveNs(data));
    }
    timing.CurvePoints = data.Figure.CurvePointHigh + 1;
    timing.BitangentRecords = static_cast<int>(data.Analysis.BitangentCount);
    timing.Tritangents = static_cast<int>(data.Analysis.TritangentCount);
    timing.Read = Median(read);
    timing.Stages = {Median(sample), Median(analyze), Median(square), Median(normals), Median(hull), Median(total)};
    timing.DrawIt = Median(drawIt);
    timing.DrawItEvaluator = Median(evaluator);
    timing.EvaluationNs = Median(evalNs);
    timing.EvaluationLimit = static_cast<double>(timing.Evaluations) * timing.EvaluationNs * 1e-6;
    timing.EvaluationShare = timing.EvaluationLimit / timing.Stages.Total;
    timings.push_back(timing);
  }
  return timings;
}

TDragTiming TimeDrag(int steps, bool stereo) {
  TPictures pictures;
  StartUp(pictures);
  Drawing::TDrawingData data;
  ReadCurve(data, BenchCurves().front());
  TView view;
  Drawing::DrawFigure(data, pictures, view);
  TAppState shown;
  shown.DrawnFlag = true;
  const MueveFigura::TShiftState left{false, false, false, true};
  DragGate::TGate gate;
  if (stereo && !DragGate::MuestraAlambre(gate, shown, data, pictures, view))
    throw std::runtime_error("the stereo view was refused");
  DragGate::AlPisar(gate, 200, 200);
  std::vector<double> step, render, maxwell, change;
  for (int k = 0; k < steps; ++k) {
    // Turns the view back and forth by 15 pixels across and 5 down.
    const int x = k % 2 == 0 ? 215 : 200, y = k % 2 == 0 ? 205 : 200;
    auto start = TClock::now();
    if (!DragGate::AlMoverHull(gate, shown, data, pictures, view, x, y, left))
      throw std::runtime_error("the drag step did not act");
    step.push_back(MsSince(start));
    start = TClock::now();
    if (stereo)
      Estereo::DrawStereo(gate.Stereo, pictures, data.Figure, data.Analysis);
    else
      HullPicture::RenderHull(pictures, view, data.Curve, data.Figure, data.Analysis);
    render.push_back(MsSince(start));
    start = TClock::now();
    SmallPictures::PaintMaxwell(pictures, view, data.Analysis);
    maxwell.push_back(MsSince(start));
    change.push_back(std::max(0.0, step.back() - render.back() - maxwell.back()));
  }
  // Back to the shaded view, which the window shows after start-up.
  if (stereo) DragGate::MuestraAlambre(gate, shown, data, pictures, view);
  return {Median(step), Median(render), Median(maxwell), Median(change)};
}

}  // namespace Benchmarks
