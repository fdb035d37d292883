# The two set-up commands: `make run` and `make test`. Both install what is missing first.
PRESET ?= default
BUILD_DIR := build/$(PRESET)
CMAKE_FLAGS ?=

FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test bench check fuzz package format clean translations

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

run: build
	$(BUILD_DIR)/src/app/tarnwick

test: build
	ctest --preset $(PRESET)

# The translation sources (translations/*.ts) brought in line with every tr() in src/.
translations: configure
	@cmake --build --preset $(PRESET) --target translations

# Google Benchmark programs, then the start-up and self-test timings.
bench: build
	$(BUILD_DIR)/bench/bench_orglist
	$(BUILD_DIR)/bench/bench_window tests/fakes/fake-sf
	$(BUILD_DIR)/bench/bench_window tests/fakes/fake-sf --startup
	$(BUILD_DIR)/bench/bench_window tests/fakes/fake-sf --actionable
	$(BUILD_DIR)/bench/bench_window tests/fakes/fake-sf --files 10
	$(BUILD_DIR)/bench/bench_window tests/fakes/fake-sf --files 1000
	/usr/bin/python3 bench/first_rows.py $(BUILD_DIR)/src/app/tarnwick tests/fakes/fake-sf 10
	/usr/bin/python3 bench/first_rows.py $(BUILD_DIR)/src/app/tarnwick tests/fakes/fake-sf 1000
	/usr/bin/python3 bench/list_time.py $(BUILD_DIR)/src/app/tarnwick tests/fakes/fake-sf 1000
	$(BUILD_DIR)/bench/selftest_overhead $(BUILD_DIR)/src/app/tarnwick tests/fakes/fake-sf

# A Debian package in the build folder: tarnwick_<version>_<arch>.deb
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The test suite under AddressSanitizer + UndefinedBehaviorSanitizer, then the threaded parts under
# ThreadSanitizer, then every fuzz target over its seeds. A report fails its test (the presets make each sanitizer stop the program); the
# grep also catches one printed by a test that passed anyway.
SANITIZER_REPORT := ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer|ERROR: ThreadSanitizer|SUMMARY: [A-Za-z]+Sanitizer

check: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	ctest --preset asan
	@! grep -E '$(SANITIZER_REPORT)' build/asan/Testing/Temporary/LastTest.log
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	ctest --preset tsan -R 'runner|store|targets'
	@! grep -E '$(SANITIZER_REPORT)' build/tsan/Testing/Temporary/LastTest.log
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	fuzz/run build/fuzz 0

# Each libFuzzer target for FUZZ_SECONDS, after replaying its seeds and past failures.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	fuzz/run build/fuzz $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
