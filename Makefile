# The two set-up commands: `make run` and `make test`. Both install what is missing first.
PRESET ?= default
BUILD_DIR := build/$(PRESET)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench format clean

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

# Google Benchmark programs, then the end-to-end self-test timing.
bench: build
	$(BUILD_DIR)/bench/bench_orglist
	$(BUILD_DIR)/bench/selftest_overhead $(BUILD_DIR)/src/app/tarnwick $(BUILD_DIR)/tests/fakes/fake-sf

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
