// One evaluation of the default curve's three formulas by their compiled programs, and
// of the same expressions written by hand in C++ with the same x87 steps; the ratio
// of the two is the price of running programs instead of native code.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>

#include "formula/Curve.h"
#include "formula/Operations.h"

namespace {

using namespace FormulaOps;

constexpr int Samples = 4101;  // the curve sampler's count per drawing
constexpr long double P = 1.25L, Q = 0.5L;

// The default curve of the point benchmarks, compiled by CompileDefaultCurve.
FunPars::TCurve Curve;

void CompileDefaultCurve(FunPars::TCurve& curve) {
  std::string message;
  curve.X.Compile("cos(2t)(p+sen(3t))", "tpq", message);
  curve.Y.Compile("sen(2t)(p+sen(3t))", "tpq", message);
  curve.Z.Compile("cos(3t+q)", "tpq", message);
  FunPars::JoinCurve(curve);
  curve.P = P;
  curve.Q = Q;
}

// The three formulas as the programs compute them, operation for operation.
void HandWrittenCurve(long double t, TVector3& point) {
  point.x = Cosine(2.0L * t) * (P + Sine(3.0L * t));
  point.y = Sine(2.0L * t) * (P + Sine(3.0L * t));
  point.z = Cosine(3.0L * t + Q);
}

long double Parameter(int i) { return static_cast<long double>(i) * (6.28L / Samples); }

// Seconds per curve point of `evaluate` over one sampling sweep.
template <typename F>
double SweepSeconds(F evaluate, long double& sink) {
  TVector3 point;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < Samples; ++i) {
    evaluate(Parameter(i), point);
    sink += point.x + point.y + point.z;
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / Samples;
}

void BM_ProgramCurvePoint(benchmark::State& state) {
  CompileDefaultCurve(Curve);
  TVector3 point;
  int i = 0;
  for (auto _ : state) {
    FunPars::EvalCurve(Curve, Parameter(i), point);
    benchmark::DoNotOptimize(point);
    i = (i + 1) % Samples;
  }
}
BENCHMARK(BM_ProgramCurvePoint);

// The compilation a Draw It makes: the default curve's three formulas and their joint
// program, native code included, into the same curve each time.
void BM_CompileDefaultCurve(benchmark::State& state) {
  FunPars::TCurve curve;
  for (auto _ : state) {
    CompileDefaultCurve(curve);
    benchmark::DoNotOptimize(curve);
  }
}
BENCHMARK(BM_CompileDefaultCurve);

void BM_HandWrittenCurvePoint(benchmark::State& state) {
  TVector3 point;
  int i = 0;
  for (auto _ : state) {
    HandWrittenCurve(Parameter(i), point);
    benchmark::DoNotOptimize(point);
    i = (i + 1) % Samples;
  }
}
BENCHMARK(BM_HandWrittenCurvePoint);

// One sine per iteration over the sweep of t: the fsin instruction, the programs' own
// sine as the interpreter runs it, and the native code of the program "sin(t)".
void BM_SineFsin(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(X87::Fsin(Parameter(i)));
    i = (i + 1) % Samples;
  }
}
BENCHMARK(BM_SineFsin);

void BM_SineInterpreted(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Sine(Parameter(i)));
    i = (i + 1) % Samples;
  }
}
BENCHMARK(BM_SineInterpreted);

void BM_SineNative(benchmark::State& state) {
  TOpCodeFunctionExtended program;
  std::string message;
  program.Compile("sin(t)", "tpq", message);
  if (!program.Native()) {
    state.SkipWithError("sin(t) got no native code");
    return;
  }
  long double vars[3] = {0, P, Q};
  int i = 0;
  for (auto _ : state) {
    vars[0] = Parameter(i);
    benchmark::DoNotOptimize(program.Run(vars));
    i = (i + 1) % Samples;
  }
}
BENCHMARK(BM_SineNative);

// Both ways over whole sweeps, side by side, with the ratio; refuses to report when the
// two ways do not give the same bits.
void BM_ProgramOverHandWritten(benchmark::State& state) {
  CompileDefaultCurve(Curve);
  for (int i = 0; i < Samples; ++i) {
    TVector3 a, b;
    FunPars::EvalCurve(Curve, Parameter(i), a);
    HandWrittenCurve(Parameter(i), b);
    if (std::memcmp(&a.x, &b.x, 10) != 0 || std::memcmp(&a.y, &b.y, 10) != 0 || std::memcmp(&a.z, &b.z, 10) != 0) {
      state.SkipWithError("the program and the hand-written code disagree");
      return;
    }
  }
  double program = 0, hand = 0;
  long double sink = 0;
  for (auto _ : state) {
    program += SweepSeconds([](long double t, TVector3& p) { FunPars::EvalCurve(Curve, t, p); }, sink);
    hand += SweepSeconds(HandWrittenCurve, sink);
  }
  benchmark::DoNotOptimize(sink);
  const double n = static_cast<double>(state.iterations());
  state.counters["program_ns"] = program / n * 1e9;
  state.counters["hand_ns"] = hand / n * 1e9;
  state.counters["ratio"] = program / hand;
}
BENCHMARK(BM_ProgramOverHandWritten);

}  // namespace
