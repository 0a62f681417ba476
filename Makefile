# Newcomer entry points: `make run` and `make test` install what is missing, build and go.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test test-asan fuzz-build fuzz fuzz-long fuzz-merge fuzz-coverage run \
	bench package format format-check clean FORCE

all: build

# NO_INSTALL=1 skips the package check (for machines where apt-get is not wanted).
deps:
ifeq ($(NO_INSTALL),1)
	@echo "NO_INSTALL=1: not checking the Debian packages"
else
	@bash scripts/install-deps.sh
endif

# The configure step depends on the build type and CMAKE_FLAGS it was run with: a stamp holds
# them and is rewritten only when they change, so a changed flag reconfigures the build folder.
CONFIG_TEXT = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
$(BUILD_DIR)/.make-config: FORCE
	@mkdir -p $(BUILD_DIR)
	@echo '$(CONFIG_TEXT)' | cmp -s - $@ || echo '$(CONFIG_TEXT)' > $@

# The old cache goes too, so that a flag taken away falls back to its default.
$(BUILD_DIR)/build.ninja: $(BUILD_DIR)/.make-config
	rm -f $(BUILD_DIR)/CMakeCache.txt
	cmake -S . -B $(BUILD_DIR) $(CONFIG_TEXT)
	@touch $@

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own folder.
ASAN_DIR ?= build-asan
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DENABLE_SANITIZERS=ON -DBUILD_BENCHMARKS=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	$(SAN_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) --timeout 600

# libFuzzer harnesses (clang); each runs SECONDS seconds from its seed corpus.
FUZZ_DIR ?= build-fuzz
SECONDS ?= 20
fuzz-build: deps
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DENABLE_FUZZING=ON -DBUILD_GUI=OFF -DBUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_harnesses

fuzz: fuzz-build
	@bash tests/fuzz/run_all.sh $(FUZZ_DIR) $(SECONDS)

# Every harness in turn within HOURS, one job per core: first until each has RUNS executions
# (time a fast one leaves over goes to the others), then the rest of the time evenly; new inputs stay in
# $(FUZZ_DIR)/fuzz-work/<harness> until `make fuzz-merge` takes those that add coverage into the
# seed corpus.
HOURS ?= 1
RUNS ?= 10000000
fuzz-long: fuzz-build
	@bash tests/fuzz/run_long.sh $(FUZZ_DIR) $(HOURS) $(JOBS) $(RUNS)

fuzz-merge: fuzz-build
	@bash tests/fuzz/merge_corpus.sh $(FUZZ_DIR)

# Source-based coverage of the core over the seed corpus and the fuzz-work inputs, as HTML in
# $(COV_DIR)/html/index.html.
COV_DIR ?= build-cov
fuzz-coverage: deps
	CXX=clang++ cmake -S . -B $(COV_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DENABLE_FUZZING=ON -DENABLE_COVERAGE=ON -DBUILD_GUI=OFF -DBUILD_BENCHMARKS=OFF \
		$(CMAKE_FLAGS)
	cmake --build $(COV_DIR) -j $(JOBS) --target fuzz_harnesses
	@bash tests/fuzz/coverage.sh $(COV_DIR) $(FUZZ_DIR)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

# A .deb of everything `cmake --install` puts in place: build/protmon_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD_DIR) --target package

bench: build
	@for b in $(BUILD_DIR)/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; $$b --benchmark_min_time=0.2; done

format:
	find src tests tools bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

# Fails when a source file is not formatted as .clang-format says (CI runs it).
format-check: deps
	find src tests tools bench -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD_DIR)
