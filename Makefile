# The two commands a user needs: `make run` and `make test`.
# Both install missing Debian packages first, then configure and build.

BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps deps-test deps-package configure build run test package bench format clean

all: build

# Packages: `make run` installs what building and running need; `make test`
# and `make package` add their own tools (tools/bootstrap.sh lists them).
deps:
	@sh tools/bootstrap.sh run

deps-test:
	@sh tools/bootstrap.sh test

deps-package:
	@sh tools/bootstrap.sh package

$(BUILD_DIR)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

# Configured again when packages were installed since, so that tools found
# only now (benchmarks, xvfb-run) are picked up.
configure: deps $(BUILD_DIR)/CMakeCache.txt
	@if [ -n "$$(find /var/lib/dpkg/status -newer $(BUILD_DIR)/CMakeCache.txt 2>/dev/null)" ]; then \
		cmake $(BUILD_DIR) >/dev/null && touch $(BUILD_DIR)/CMakeCache.txt; fi

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	./$(BUILD_DIR)/src/orlenta $(ARGS)

test: deps-test
	@$(MAKE) --no-print-directory build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS) $(CTEST_ARGS)

package: deps-package
	@$(MAKE) --no-print-directory build
	cmake --build $(BUILD_DIR) --target package
	@ls $(BUILD_DIR)/orlenta_*.deb

bench: build
	@set -e; found=0; for b in $(BUILD_DIR)/bench/bench_*; do \
		[ -x "$$b" ] || continue; found=1; echo "== $$b"; "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; \
	done; [ $$found = 1 ] || echo "no benchmarks built (Google Benchmark missing?)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
