# The two commands: `make run` starts the application, `make test` builds and
# runs every test (a normal build and a sanitizer build). Both install the
# Debian packages they need first.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
BENCH_DIR ?= build-bench
FUZZ_DIR ?= build-fuzz
JOBS ?= $(shell nproc)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: setup build run demo test test-normal test-asan bench fuzz clean

setup:
	@tools/setup-deps

build: setup
	@test -f $(BUILD_DIR)/CMakeCache.txt || cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -x $(BUILD_DIR)/bin/velto ]; then $(BUILD_DIR)/bin/velto; else $(MAKE) --no-print-directory demo; fi

demo: build
	$(BUILD_DIR)/bin/velto-cli chi

test: test-normal test-asan

test-normal: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

test-asan: setup
	@test -f $(ASAN_DIR)/CMakeCache.txt || cmake -S . -B $(ASAN_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DVELTO_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: setup
	@test -f $(BENCH_DIR)/CMakeCache.txt || cmake -S . -B $(BENCH_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DVELTO_BUILD_BENCH=ON -DVELTO_BUILD_TESTS=OFF -DVELTO_BUILD_GUI=OFF
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bin/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

# The libFuzzer harnesses of the readers (clang 14 and libclang-rt-14-dev;
# a developer's tool, not run by `make test`).
fuzz: setup
	@test -f $(FUZZ_DIR)/CMakeCache.txt || cmake -S . -B $(FUZZ_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DVELTO_BUILD_FUZZ=ON -DVELTO_BUILD_TESTS=OFF -DVELTO_BUILD_GUI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_structure_file fuzz_data_files fuzz_cif

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR) $(FUZZ_DIR)
