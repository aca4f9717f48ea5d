// wendrix-cli bench: one table of timings measured in one run: formula evaluation four
// ways, the drawing of a fixed set of curves stage by stage, and the drag steps of the shaded
// and the stereo view.
#include <cstdio>
#include <exception>
#include <string>

#include "bench/Benchmarks.h"
#include "cli/Commands.h"

namespace {

const char* const BenchUsage =
    "usage: wendrix-cli bench [--runs N]\n"
    "  --runs N   runs of every measurement, of which the median is shown (default 5, 1 to 100)\n";

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "wendrix-cli bench: %s\n\n%s", problem.c_str(), BenchUsage);
  return ExitUsage;
}

void PrintFormulas(const std::vector<Benchmarks::TFormulaTiming>& timings, int runs) {
  std::printf("Formula evaluation: ns of processor time per evaluation, median of %d runs; (ratio to the\n"
              "hand-written x87 code)\n",
              runs);
  std::printf("%-30s %16s %16s %10s %16s\n", "formula", "native", "evaluator", "hand x87", "muparser double");
  for (const auto& f : timings)
    std::printf("%-30s %7.1f (%5.2f) %7.1f (%5.2f) %10.1f %7.1f (%5.2f)\n", f.Text.c_str(), f.Native,
                f.Native / f.Hand, f.Evaluator, f.Evaluator / f.Hand, f.Hand, f.Muparser, f.Muparser / f.Hand);
}

void PrintSteps(const std::vector<Benchmarks::TStepTiming>& timings) {
  std::printf("\nWhat formulas are made of: ns of processor time per call over the same sweep, on one core;\n"
              "throughput: calls independent of each other; latency: each argument waits for the previous result\n");
  std::printf("%-30s %10s %8s\n", "step", "throughput", "latency");
  for (const auto& s : timings) std::printf("%-30s %10.1f %8.1f\n", s.Name.c_str(), s.Ns, s.Latency);
}

void PrintDrawings(const std::vector<Benchmarks::TDrawingTiming>& timings, int runs) {
  std::printf("\nDrawing with native formula code: ms per stage, median of %d runs (seed 1); limit: the ms the\n"
              "curve evaluations alone take (evals times ns/eval); \"evaluator\": Draw It with interpreted\n"
              "programs, in the same runs; evals: curve evaluations per drawing; share: of the drawing's time\n"
              "spent evaluating the curve (limit over the stages)\n",
              runs);
  std::printf("%-24s %6s %6s %6s %7s %8s %7s %7s %7s %8s %7s %9s %9s %7s %6s\n", "curve", "points", "pairs", "read",
              "sample", "analyze", "square", "normals", "hull", "Draw It", "limit", "evaluator", "evals", "ns/eval",
              "share");
  for (const auto& d : timings)
    std::printf("%-24s %6d %6d %6.2f %7.2f %8.2f %7.2f %7.2f %7.2f %8.2f %7.2f %9.2f %9llu %7.1f %5.0f%%\n",
                d.Name.c_str(), d.CurvePoints, d.BitangentRecords, d.Read, d.Stages.Sample, d.Stages.Analyze,
                d.Stages.Square, d.Stages.Normals, d.Stages.Hull, d.DrawIt, d.EvaluationLimit, d.DrawItEvaluator,
                static_cast<unsigned long long>(d.Evaluations), d.EvaluationNs, 100 * d.EvaluationShare);
}

void PrintDrag(const Benchmarks::TDragTiming& drag, int steps, bool stereo) {
  const char* picture = stereo ? "DrawStereo" : "RenderHull";
  std::printf("\nDrag step in the %s view of the default curve: ms, median of %d steps (view change: the\n"
              "step less %s and PaintMaxwell timed on their own; 0 when within the noise)\n",
              stereo ? "stereo" : "shaded", steps, picture);
  std::printf("%12s %12s %13s %8s\n", "view change", picture, "PaintMaxwell", "step");
  std::printf("%12.2f %12.2f %13.2f %8.2f\n", drag.View, drag.Render, drag.Maxwell, drag.Step);
}

}  // namespace

int RunBench(const QStringList& arguments) {
  int runs = 5;
  for (int i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--runs" && i + 1 < arguments.size()) {
      bool ok = false;
      runs = arguments[++i].toInt(&ok);
      if (!ok || runs < 1 || runs > 100) return UsageError("--runs needs a whole number from 1 to 100");
    } else if (arguments[i] == "--help" || arguments[i] == "-h") {
      std::fputs(BenchUsage, stdout);
      return ExitOk;
    } else {
      return UsageError("unknown argument \"" + arguments[i].toStdString() + "\"");
    }
  }
  try {
    PrintFormulas(Benchmarks::TimeFormulas(runs), runs);
    PrintSteps(Benchmarks::TimeSteps(runs));
    PrintDrawings(Benchmarks::TimeDrawings(Benchmarks::BenchCurves(), runs), runs);
    const int steps = 8 * runs + 1;
    for (const bool stereo : {false, true}) PrintDrag(Benchmarks::TimeDrag(steps, stereo), steps, stereo);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "wendrix-cli bench: %s\n", error.what());
    return ExitFailed;
  }
  return ExitOk;
}
