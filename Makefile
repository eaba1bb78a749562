# The two commands a user needs: `make run` and `make test`.
# Both install missing Debian packages first, then configure and build.

BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench format clean

all: build

deps:
	@sh tools/bootstrap.sh

$(BUILD_DIR)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	./$(BUILD_DIR)/src/orlenta $(ARGS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS) $(CTEST_ARGS)

bench: build
	@set -e; found=0; for b in $(BUILD_DIR)/bench/bench_*; do \
		[ -x "$$b" ] || continue; found=1; echo "== $$b"; "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; \
	done; [ $$found = 1 ] || echo "no benchmarks built (Google Benchmark missing?)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
