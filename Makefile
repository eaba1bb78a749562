# The two commands a user needs: `make run` and `make test`.
# Both install missing Debian packages first, then configure and build.

BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# The sanitizer tree: clang at -O1 with ASan and UBSan; also holds the
# libFuzzer programs. FUZZ_SECONDS is per fuzz target.
SANITIZE_DIR ?= build-sanitize
SANITIZE_CXX ?= clang++-14
FUZZ_SECONDS ?= 30
# 0 lets libFuzzer pick a seed; CI fixes one, so that a slower machine only
# repeats a prefix of the inputs tried here instead of meeting new ones.
FUZZ_SEED ?= 0
FUZZ_TARGETS = document strings_table frame_reader appcast node_path

.PHONY: all deps deps-test deps-package configure build run test package bench format clean \
	test-sanitize fuzz

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

# The .deb, then lintian on it (no error allowed) and a look for its
# manual page, copyright and changelog.
package: deps-package
	@$(MAKE) --no-print-directory build
	cmake --build $(BUILD_DIR) --target package
	@sh tools/check-package.sh "$$(ls -t $(BUILD_DIR)/orlenta_*.deb | head -n 1)"

$(SANITIZE_DIR)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps-test
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_CXX_COMPILER=$(SANITIZE_CXX) \
		-DCMAKE_BUILD_TYPE=Sanitize -DCMAKE_CXX_FLAGS_SANITIZE="-O1 -gline-tables-only" \
		-DORLENTA_SANITIZE=ON -DORLENTA_FUZZ=ON -DORLENTA_BENCHMARKS=OFF $(CMAKE_FLAGS)

# Every test once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps-test
	@$(MAKE) --no-print-directory $(SANITIZE_DIR)/CMakeCache.txt
	cmake --build $(SANITIZE_DIR) --parallel $(JOBS)
	cd $(SANITIZE_DIR) && ctest --output-on-failure --parallel $(JOBS) $(CTEST_ARGS)

# Each fuzz target for FUZZ_SECONDS on its kept inputs (fuzz/corpus/<name>);
# new inputs go to $(SANITIZE_DIR)/fuzz-corpus, findings to fuzz-findings.
# A finding is fixed, then kept in fuzz/corpus/<name> as a regression input.
fuzz: deps-test
	@$(MAKE) --no-print-directory $(SANITIZE_DIR)/CMakeCache.txt
	cmake --build $(SANITIZE_DIR) --parallel $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@set -e; for t in $(FUZZ_TARGETS); do \
		mkdir -p $(SANITIZE_DIR)/fuzz-corpus/$$t $(SANITIZE_DIR)/fuzz-findings; \
		echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
		if ! $(SANITIZE_DIR)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -seed=$(FUZZ_SEED) -timeout=25 \
			-rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
			-artifact_prefix=$(SANITIZE_DIR)/fuzz-findings/$$t- \
			$(SANITIZE_DIR)/fuzz-corpus/$$t fuzz/corpus/$$t > $(SANITIZE_DIR)/fuzz-$$t.log 2>&1; then \
			tail -n 60 $(SANITIZE_DIR)/fuzz-$$t.log; echo "fuzz_$$t: finding kept in $(SANITIZE_DIR)/fuzz-findings"; exit 1; \
		fi; \
		grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' $(SANITIZE_DIR)/fuzz-$$t.log; \
	done

bench: build
	@set -e; found=0; for b in $(BUILD_DIR)/bench/bench_*; do \
		[ -x "$$b" ] || continue; found=1; echo "== $$b"; "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; \
	done; [ $$found = 1 ] || echo "no benchmarks built (Google Benchmark missing?)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
