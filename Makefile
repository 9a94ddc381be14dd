# Entry points for people and CI. Every target installs what it needs first.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
JOBS      ?= $(shell nproc)
FUZZ_SECONDS ?= 60
ARGS      ?= --help

CMAKE_FLAGS = -G Ninja -DTUSKO_WERROR=ON

.PHONY: deps build run test unit sanitize fuzz bench clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The main job: the command-line tool; without a gateway it talks to the built-in simulator.
run: build
	$(BUILD_DIR)/src/cli/tuskoctl $(ARGS)

# Every test: the normal build, then the same tests under AddressSanitizer and UBSan.
test: unit sanitize

unit: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTUSKO_SANITIZE=ON -DTUSKO_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# libFuzzer targets under ASan/UBSan, FUZZ_SECONDS each.
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUSKO_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	scripts/run-fuzzers.sh $(FUZZ_DIR)/fuzz $(FUZZ_SECONDS)

bench: build
	$(BUILD_DIR)/bench/tusko_benchmarks

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
