# The two commands of the quick start, and a few more for developers.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)

.PHONY: all deps configure build demo test test-asan fuzz bench bench-page validate-any-seed clean

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Renders the built-in demo scene (perspective and top view side by side) and prints
# the picture's path. Builds only what the picture needs: the program, the host library
# and the plug-in.
demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target zentrograph
	@$(BUILD)/bin/zentrograph render --size 1600x900 -o $(abspath $(BUILD)/demo.png)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz

# The plug-in validator on a new random seed (make test uses a fixed one); a failure
# prints the seed that replays it.
validate-any-seed: build
	$(BUILD)/bin/zentrograph validate $(BUILD)/bin/plugins/Zentrograph.dlo

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DZENTROGRAPH_SANITIZE=ON -DZENTROGRAPH_BENCH=OFF -DZENTROGRAPH_BROWSER_TESTS=OFF -DZENTROGRAPH_PYTHON=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1 \
		UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The fuzz targets (fuzz/), built with clang and libFuzzer in their own folder, each run
# for a few seconds over its seed corpus.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DZENTROGRAPH_FUZZ=ON -DZENTROGRAPH_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS)

# Every benchmark program, then one table of the targets they check: benchmark,
# baseline, ratio, target, holds or not. Rows that no program can measure in its own
# run (a whole-process A/B) come from bench/recorded_targets.tsv.
BENCHES = bench_sampling bench_display bench_render bench_interaction bench_memory
TAB := $(shell printf '\t')
bench: build
	@rm -f $(BUILD)/bench-targets.tsv
	@for b in $(BENCHES); do $(BUILD)/bin/$$b --targets=$(abspath $(BUILD))/bench-targets.tsv || exit 1; done
	@node bench/page/bench_page.mjs --build=$(abspath $(BUILD)) --targets=$(abspath $(BUILD))/bench-targets.tsv
	@grep -hv '^#' $(BUILD)/bench-targets.tsv bench/recorded_targets.tsv | sort -s -t '$(TAB)' -k1,1n | \
		awk -F '$(TAB)' 'BEGIN { f = "%-50s %-42s %8s  %-16s %s\n"; printf "\n" f, "benchmark", "baseline", "ratio", "target", "holds" } \
		{ printf f, $$2, $$3, $$4, $$5, $$6 }'

# The page in headless Chromium on generated scenes: orbit frame rate, creation-drag
# latency, bytes per step and load time, each with the machine's load average.
bench-page: build
	@node bench/page/bench_page.mjs --build=$(abspath $(BUILD))

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
