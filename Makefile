# `make run` and `make test` install what is missing, configure, build, then run.
BUILD ?= build
JOBS  ?= $(shell nproc)
# The test suite again with AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_BUILD ?= build-sanitize
# libFuzzer targets (clang); executions per target and a time cap per target.
FUZZ_BUILD   ?= build-fuzz
FUZZ_RUNS    ?= 1000000
FILE_RUNS    ?= 10000
FUZZ_SECONDS ?= 3600
FILE_TIMEOUT ?= 30
# Warnings stop the build of our own code here and in CI; a plain cmake build of a
# user's only reports them (WENDRIX_WERROR defaults to off).
WERROR ?= ON

.PHONY: deps configure build run test test-sanitize fuzz fuzz-smoke bench truth sweep-check identity-check clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDRIX_WERROR=$(WERROR) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# LeakSanitizer is told to overlook the leaks of system libraries that the window
# loads on a real display (.ci/lsan.supp); everything of ours is checked.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDRIX_SANITIZE=ON -DWENDRIX_WERROR=$(WERROR) >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDRIX_FUZZ=ON -DWENDRIX_WERROR=$(WERROR) >/dev/null
	@cmake --build $(FUZZ_BUILD) --target formula_fuzz curvefile_fuzz -j $(JOBS)
	@FUZZ_SEED='$(FUZZ_SEED)' bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_RUNS) $(FILE_RUNS) $(FUZZ_SECONDS) $(FILE_TIMEOUT)

# Both fuzz targets for about 25 seconds each over the committed corpora: a check in CI
# that no input found so far (nor a near one) crashes, leaks or hangs again. The
# heaviest corpus curve takes about 7 s under the sanitizers; a shared machine may take
# several times that, which is no hang.
fuzz-smoke:
	@$(MAKE) --no-print-directory fuzz FUZZ_RUNS=1000000000 FILE_RUNS=1000000000 FUZZ_SECONDS=25 FILE_TIMEOUT=120 FUZZ_SEED=1

# The example curves and a few families drawn at fixed seeds, compared with a reference
# set written before a refactoring (IDENTITY_REF=DIR; REFERENCE=1 writes it).
IDENTITY_REF ?= $(BUILD)/identity-ref
identity-check: build
	@bash scripts/identity-check.sh $(if $(REFERENCE),--reference) $(IDENTITY_REF) $(BUILD)/cli/wendrix-cli

bench: build
	@$(BUILD)/cli/wendrix-cli bench
	@if [ -x $(BUILD)/bench/wendrix_bench ]; then $(BUILD)/bench/wendrix_bench; fi

# The analysed hull against Qhull over the whole curve set, sizes, places and seeds
# (SEEDS=n tries seeds 1..n, default 8; ONLY=text keeps the curves whose "family name"
# contains the text, e.g. ONLY="wave K=5").
truth: build
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/hull_truth $(or $(SEEDS),8) "$(ONLY)"

# The whole sweep of the default curve over p in 0..5 (26 values): its time with one
# and two processes, then area and volume against Qhull's hull of 100,000 samples at
# each value (within 1%). Not part of `make test`.
sweep-check: build
	@if [ -x $(BUILD)/bench/wendrix_bench ]; then $(BUILD)/bench/wendrix_bench --benchmark_filter=Sweep; fi
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen tests/app/app_core_sweep_measures --gtest_also_run_disabled_tests \
	  --gtest_filter='*WholeSweep*'

clean:
	@rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
