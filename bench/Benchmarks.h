// The measurements behind wendrix-cli bench: formula evaluation in four ways, the
// drawing of a fixed set of curves stage by stage, and the mouse-drag step. Every
// figure is the median of several runs made in one process, so that the ratios
// between figures of one table hold even on a noisy machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Drawing.h"

namespace Benchmarks {

// Nanoseconds per evaluation of one formula.
struct TFormulaTiming {
  std::string Text;
  double Native = 0;     // the compiled program's native code
  double Evaluator = 0;  // the program interpreter
  double Hand = 0;       // the same expression written in C++ with the x87 steps
  double Muparser = 0;   // muparser, in double precision
};

// Times the benchmark formulas over sweeps of t, `runs` times each way, interleaved.
// Throws std::runtime_error when a formula does not compile, when its native code is
// missing, or when the hand-written code (bit for bit) or muparser (to 1e-9) does
// not give the program's values: a timing of different work would be meaningless.
std::vector<TFormulaTiming> TimeFormulas(int runs);

// Nanoseconds per call of single x87 steps, of the programs' own sine and cosine and
// of the C library's sine, over the same sweep of t, then of the native code of 3t,
// sin(t) and cos(t): what the formulas' cost is made of. Each is timed twice on one
// core: with independent arguments (throughput) and with each argument waiting for the
// previous result (latency). Throws std::runtime_error when one of those programs gets
// no native code.
struct TStepTiming {
  std::string Name;
  double Ns = 0;       // independent calls
  double Latency = 0;  // chained calls
};
std::vector<TStepTiming> TimeSteps(int runs);

// One curve of the drawing table: its input, as the fields and p, q of a curve file.
struct TBenchCurve {
  std::string Name;
  std::string X, Y, Z;
  long double P = 0, Q = 0;
};

// The fixed set: the default curve (p = 1), (cos t, sin t, cos 3t), a trefoil knot,
// a torus knot, a curve of many curve points, and two of many waves: wave K = 50 and
// the (2, 21) torus knot.
std::vector<TBenchCurve> BenchCurves();

// Medians over the runs of one curve's drawing.
struct TDrawingTiming {
  std::string Name;
  int CurvePoints = 0, BitangentRecords = 0, Tritangents = 0;
  double Read = 0;                // LeeDatos: the input check and the compilation
  Drawing::TStageTimes Stages;    // the five stages and their total
  double DrawIt = 0;              // Read plus the drawing: what "Draw It" costs
  double DrawItEvaluator = 0;     // the same with interpreted formula programs
  std::uint64_t Evaluations = 0;  // curve evaluations of the sampling and analysis in one drawing
  double EvaluationNs = 0;        // nanoseconds per EvalCurve call on this curve
  double EvaluationLimit = 0;     // Evaluations times EvaluationNs, in ms: the curve alone
  double EvaluationShare = 0;     // EvaluationLimit over the drawing's total
};

// Draws each curve `runs` times with native code and as often with interpreted
// programs, alternately, with the fixed seed 1 after the start-up; native
// code stays switched on afterwards. Throws std::runtime_error when a curve is
// refused, and what the drawing throws.
std::vector<TDrawingTiming> TimeDrawings(const std::vector<TBenchCurve>& curves, int runs);

// Medians of one drag step in the shaded or the stereo view of the default curve, in
// milliseconds.
struct TDragTiming {
  double Step = 0;     // the whole step as the window runs it
  double Render = 0;   // the main picture alone: RenderHull, or DrawStereo in the stereo view
  double Maxwell = 0;  // PaintMaxwell alone
  double View = 0;     // the rest: the change of the view
};

// Draws the default curve, switches to the stereo view when `stereo`, then times `steps`
// drag steps turning the view back and forth, and as many separate runs of the main
// picture and PaintMaxwell; the shaded view is in force again afterwards.
TDragTiming TimeDrag(int steps, bool stereo);

// The median of `values` (0 for none).
double Median(std::vector<double> values);

}  // namespace Benchmarks
