// The sweep of the default curve over p in 0 .. 5 in 26 values, as wendrix-cli sweep
// runs it with a table and a GIF, in one process and in two.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void BM_DefaultSweep26(benchmark::State& state) {
  // The sweep writes only regular files (through a temporary file and a rename).
  const std::string csv = "/tmp/wendrix_bench_sweep.csv", gif = "/tmp/wendrix_bench_sweep.gif";
  const std::string command = std::string(WENDRIX_CLI) + " sweep --p 0:5:26 --csv " + csv + " --gif " + gif +
                              " --jobs " + std::to_string(state.range(0));
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError(("the sweep failed: " + command).c_str());
      break;
    }
  std::remove(csv.c_str());
  std::remove(gif.c_str());
  state.SetLabel("jobs " + std::to_string(state.range(0)));
}

}  // namespace

BENCHMARK(BM_DefaultSweep26)->Arg(1)->Arg(2)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();
