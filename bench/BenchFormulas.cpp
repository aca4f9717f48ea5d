// Formula evaluation four ways: native code, the interpreter, hand-written C++ with the
// same x87 steps, and muparser in double precision.
#include <muParser.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "bench/Benchmarks.h"
#include "formula/FunPars.h"
#include "formula/Operations.h"

namespace Benchmarks {

namespace {

using namespace FormulaOps;
using THand = long double (*)(const long double* v);

// v[0] = t, v[1] = p, v[2] = q. Each function follows its formula's postfix order, so
// that it computes the program's bits; noinline, so that it is called like a program.
__attribute__((noinline)) long double DefaultX(const long double* v) {
  return Cosine(2 * v[0]) * (v[1] + Sine(3 * v[0]));
}
__attribute__((noinline)) long double DefaultY(const long double* v) {
  return Sine(2 * v[0]) * (v[1] + Sine(3 * v[0]));
}
__attribute__((noinline)) long double DefaultZ(const long double* v) { return Cosine(3 * v[0] + v[2]); }
__attribute__((noinline)) long double TrefoilX(const long double* v) { return Sine(v[0]) + 2 * Sine(2 * v[0]); }
__attribute__((noinline)) long double RootTimesExp(const long double* v) {
  return SquareRoot(1 + Square(v[0])) * Exponential(SafeDivide(-v[0], 4));
}
__attribute__((noinline)) long double AtanLogPower(const long double* v) {
  return ArcTangent(v[1] * v[0]) + Logarithm(1 + Square(v[0])) - Power(v[0], v[1]);
}
__attribute__((noinline)) long double Cubic(const long double* v) {
  return Square(v[0]) * v[0] - 2 * Square(v[0]) + v[1] * v[0] - v[2];
}

struct TBenchFormula {
  const char* Text;      // in the program's notation
  const char* Muparser;  // the same in muparser's
  THand Hand;
};

const TBenchFormula Formulas[] = {
    {"cos(2t)(p+sen(3t))", "cos(2*t)*(p+sin(3*t))", DefaultX},
    {"sen(2t)(p+sen(3t))", "sin(2*t)*(p+sin(3*t))", DefaultY},
    {"cos(3t+q)", "cos(3*t+q)", DefaultZ},
    {"sin(t)+2sin(2t)", "sin(t)+2*sin(2*t)", TrefoilX},
    {"sqrt(1+t^2)*exp(-t/4)", "sqrt(1+t^2)*exp(-t/4)", RootTimesExp},
    {"atan(p t) + ln(1+t^2) - t^p", "atan(p*t)+ln(1+t^2)-t^p", AtanLogPower},
    {"t^3 - 2t^2 + p t - q", "t^3-2*t^2+p*t-q", Cubic},
};

constexpr long double P = 1.25L, Q = 0.5L;
constexpr int Sweep = 4101;  // t over [0, 2 pi), as many values as the curve samples

// The processor time this thread has used, in nanoseconds: on a shared machine the
// time slices given to other processes do not count.
double ThreadNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return 1e9 * static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec);
}

bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

// Nanoseconds of this thread per call of `evaluate(t)` over `passes` sweeps of `ts`.
template <class F>
double NsPerEvaluation(F evaluate, const std::vector<long double>& ts, int passes, long double& sink) {
  const double start = ThreadNanoseconds();
  for (int pass = 0; pass < passes; ++pass)
    for (const long double t : ts) sink += evaluate(t);
  return (ThreadNanoseconds() - start) / (static_cast<double>(passes) * static_cast<double>(ts.size()));
}

// One formula: compiles it both ways, checks that all four agree, then times them.
TFormulaTiming TimeFormula(const TBenchFormula& formula, const std::vector<long double>& ts, int runs) {
  TOpCodeFunctionExtended program;
  std::string message;
  program.Compile(formula.Text, "tpq", message);
  if (!message.empty()) throw std::runtime_error(std::string(formula.Text) + ": " + message);
  if (!program.Native()) throw std::runtime_error(std::string(formula.Text) + ": no native code");
  double t = 0, p = static_cast<double>(P), q = static_cast<double>(Q);
  mu::Parser parser;
  parser.DefineVar("t", &t);
  parser.DefineVar("p", &p);
  parser.DefineVar("q", &q);
  parser.SetExpr(formula.Muparser);

  long double vars[3] = {0, P, Q};
  for (const long double value : ts) {
    vars[0] = value;
    t = static_cast<double>(value);
    const long double reference = program.Run(vars);
    const double other = parser.Eval();
    if (!SameBits(formula.Hand(vars), reference) || !SameBits(program.Evaluate(vars), reference))
      throw std::runtime_error(std::string(formula.Text) + ": the hand-written code or the evaluator differs");
    if (!(std::fabs(other - static_cast<double>(reference)) <= 1e-9 * std::max(1.0, std::fabs(other))))
      throw std::runtime_error(std::string(formula.Text) + ": muparser computes something else");
  }

  const auto native = [&](long double x) { vars[0] = x; return program.Run(vars); };
  const auto evaluator = [&](long double x) { vars[0] = x; return program.Evaluate(vars); };
  const auto hand = [&](long double x) { vars[0] = x; return formula.Hand(vars); };
  const auto muparser = [&](long double x) { t = static_cast<double>(x); return static_cast<long double>(parser.Eval()); };

  // About two milliseconds per measurement of the interpreter, the slowest way.
  long double sink = 0;
  const double probe = NsPerEvaluation(evaluator, ts, 1, sink);
  const int passes = std::max(1, static_cast<int>(2e6 / (probe * static_cast<double>(ts.size()))));
  std::vector<double> n, e, h, m;
  for (int run = 0; run < runs; ++run) {
    n.push_back(NsPerEvaluation(native, ts, passes, sink));
    e.push_back(NsPerEvaluation(evaluator, ts, passes, sink));
    h.push_back(NsPerEvaluation(hand, ts, passes, sink));
    m.push_back(NsPerEvaluation(muparser, ts, passes, sink));
  }
  volatile long double keep = sink;  // the results are used
  (void)keep;
  return {formula.Text, Median(n), Median(e), Median(h), Median(m)};
}

}  // namespace

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t k = values.size() / 2;
  return values.size() % 2 == 1 ? values[k] : (values[k - 1] + values[k]) / 2;
}

namespace {

std::vector<long double> SweepValues() {
  std::vector<long double> ts(Sweep);
  for (int i = 0; i < Sweep; ++i) ts[i] = 2 * X87::Shared.Pi * i / Sweep;
  return ts;
}

// Nanoseconds per call of `evaluate` when each argument waits for the previous result:
// the next argument is t + 0 times that result, which is t again (the results are
// finite), so the sweep is the same as for the throughput and the chain adds one fmul
// and one fadd per call (the latency row of "x87 fmul" shows their cost).
template <class F>
double NsPerChainedEvaluation(F evaluate, const std::vector<long double>& ts, int passes, long double& sink) {
  long double previous = 0;
  const double start = ThreadNanoseconds();
  for (int pass = 0; pass < passes; ++pass)
    for (const long double t : ts) previous = evaluate(t + 0.0L * previous);
  sink += previous;
  return (ThreadNanoseconds() - start) / (static_cast<double>(passes) * static_cast<double>(ts.size()));
}

// Keeps the calling thread on the processor it runs on while it lives, so that every
// step is timed on the same core; restores the former set at the end.
class TPinnedToThisCore {
 public:
  TPinnedToThisCore() {
    pinned_ = sched_getaffinity(0, sizeof former_, &former_) == 0;
    const int cpu = sched_getcpu();
    if (!pinned_ || cpu < 0) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    pinned_ = sched_setaffinity(0, sizeof one, &one) == 0;
  }
  ~TPinnedToThisCore() {
    if (pinned_) sched_setaffinity(0, sizeof former_, &former_);
  }
  TPinnedToThisCore(const TPinnedToThisCore&) = delete;
  TPinnedToThisCore& operator=(const TPinnedToThisCore&) = delete;

 private:
  cpu_set_t former_;
  bool pinned_ = false;
};

}  // namespace

std::vector<TStepTiming> TimeSteps(int runs) {
  const std::vector<long double> ts = SweepValues();
  const std::pair<const char*, long double (*)(long double)> steps[] = {
      {"x87 fmul", [](long double t) { return t * 3; }},
      {"x87 fsin", X87::Fsin},
      {"x87 fprem by 2 pi, fcos", [](long double t) { return X87::Fcos(X87::ReduceTwoPi(t)); }},
      {"formula sine (own)", Sine},
      {"formula cosine (own)", Cosine},
      {"C library sin (double)", [](long double t) { return static_cast<long double>(std::sin(static_cast<double>(t))); }},
      {"C library sinl (long double)", [](long double t) { return sinl(t); }},
  };
  // The same steps as native formula code, called as the curve evaluator calls it.
  const std::pair<const char*, const char*> programs[] = {
      {"native code of 3t", "3t"}, {"native code of sin(t)", "sin(t)"}, {"native code of cos(t)", "cos(t)"}};
  std::vector<TOpCodeFunctionExtended> compiled(std::size(programs));
  for (std::size_t k = 0; k < std::size(programs); ++k) {
    std::string message;
    compiled[k].Compile(programs[k].second, "tpq", message);
    if (!compiled[k].Native()) throw std::runtime_error(std::string(programs[k].second) + ": no native code");
  }
  long double sink = 0;
  long double vars[3] = {0, P, Q};
  const std::size_t count = std::size(steps) + std::size(programs);
  std::vector<std::vector<double>> throughput(count), latency(count);
  const TPinnedToThisCore pinned;
  for (int run = 0; run < runs; ++run) {
    for (std::size_t k = 0; k < std::size(steps); ++k) {
      throughput[k].push_back(NsPerEvaluation(steps[k].second, ts, 100, sink));
      latency[k].push_back(NsPerChainedEvaluation(steps[k].second, ts, 100, sink));
    }
    for (std::size_t k = 0; k < std::size(programs); ++k) {
      const auto native = [&](long double t) { vars[0] = t; return compiled[k].Run(vars); };
      throughput[std::size(steps) + k].push_back(NsPerEvaluation(native, ts, 100, sink));
      latency[std::size(steps) + k].push_back(NsPerChainedEvaluation(native, ts, 100, sink));
    }
  }
  volatile long double keep = sink;
  (void)keep;
  std::vector<TStepTiming> timings;
  for (std::size_t k = 0; k < count; ++k)
    timings.push_back({k < std::size(steps) ? steps[k].first : programs[k - std::size(steps)].first,
                       Median(throughput[k]), Median(latency[k])});
  return timings;
}

std::vector<TFormulaTiming> TimeFormulas(int runs) {
  const std::vector<long double> ts = SweepValues();
  std::vector<TFormulaTiming> timings;
  for (const TBenchFormula& formula : Formulas) timings.push_back(TimeFormula(formula, ts, runs));
  return timings;
}

}  // namespace Benchmarks
