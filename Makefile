# Entry points for people and CI. Every target installs what it needs first.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
TSAN_DIR  ?= build-tsan
COVERAGE_DIR ?= build-coverage
JOBS      ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= 10000000
ARGS      ?= info
SOAK_ARGS ?= 1000 100
TEST_BUDGET ?= 40

CMAKE_FLAGS = -G Ninja -DTUSKO_WERROR=ON

.PHONY: deps build run run-cli run-sim screenshots test unit fault-matrix sanitize tsan fuzz fuzz-long bench soak coverage budget clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The main job: the desktop program, talking to the simulator on 127.0.0.1:1002.
run: build
	scripts/run-desktop.sh $(BUILD_DIR)

# The command-line tool; without a gateway it talks to its built-in simulator.
run-cli: build
	$(BUILD_DIR)/src/cli/tuskoctl $(ARGS)

# The same against the simulator as a process of its own, over loopback TCP on a free port.
run-sim: build
	@endpoint=$$(mktemp); \
	$(BUILD_DIR)/src/sim/tusko-gatewaysim --quiet --tcp 127.0.0.1:0 > $$endpoint & sim=$$!; \
	trap 'kill $$sim 2>/dev/null; rm -f $$endpoint' EXIT; \
	for i in $$(seq 50); do [ -s $$endpoint ] && break; sleep 0.1; done; \
	echo "tusko-gatewaysim listens on $$(head -n1 $$endpoint)"; \
	$(BUILD_DIR)/src/cli/tuskoctl --tcp $$(head -n1 $$endpoint) $(ARGS)

# The pictures in docs/screenshots, drawn on a virtual display.
screenshots: build
	scripts/screenshots.sh $(BUILD_DIR)

# Every test: the normal build, then the same tests under AddressSanitizer and
# UBSan, then the threaded parts under ThreadSanitizer, then the line budget.
test: unit sanitize tsan budget

unit: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# Every transfer of tuskoctl over TCP and a pseudo-terminal against every
# simulator fault (ctest -L faults, part of unit), printed as a table.
fault-matrix: build
	scripts/fault-matrix.sh $(BUILD_DIR) $(JOBS)

sanitize: deps
	cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTUSKO_SANITIZE=ON -DTUSKO_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# The threads under ThreadSanitizer: the link's reader and writer threads in
# the link tests over sockets and pseudo-terminals, and the log view written
# from other threads in the monitor tests.
tsan: deps
	cmake -S . -B $(TSAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTUSKO_TSAN=ON -DTUSKO_BENCH=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS) --target tusko_link_tests tusko_link_itests tusko_monitor_tests
	ctest --test-dir $(TSAN_DIR) -R '^(link|monitor)\.' --output-on-failure -j $(JOBS)

# libFuzzer targets under ASan/UBSan, FUZZ_SECONDS each.
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUSKO_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target tusko_fuzzers
	scripts/run-fuzzers.sh $(FUZZ_DIR)/fuzz $(FUZZ_SECONDS)

# Every fuzz target for FUZZ_RUNS executions with its dictionary; the inputs
# that reach new code are minimised into fuzz/corpus, which the tests replay.
fuzz-long: deps
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUSKO_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target tusko_fuzzers
	scripts/run-fuzzers.sh $(FUZZ_DIR)/fuzz --runs $(FUZZ_RUNS) --merge

# Line and branch coverage per folder of src/ after every test ran, in a folder
# of its own; the counters of an earlier run are cleared first, and so are the
# objects and counter notes of files that are gone. Its own lock, low priority
# and two jobs, so it can run beside the normal build.
coverage: deps
	@flock /tmp/tusko-coverage.lock sh -c '\
	  cmake -S . -B $(COVERAGE_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTUSKO_COVERAGE=ON -DTUSKO_BENCH=OFF >/dev/null && \
	  { nice -n 10 cmake --build $(COVERAGE_DIR) -j 2 >$(COVERAGE_DIR)/build.log 2>&1 || \
	    { tail -n 30 $(COVERAGE_DIR)/build.log; exit 1; }; } && \
	  ninja -C $(COVERAGE_DIR) -t cleandead >/dev/null && \
	  for g in $$(find $(COVERAGE_DIR) -name "*.gcno"); do [ -e "$${g%.gcno}.o" ] || rm "$$g"; done && \
	  find $(COVERAGE_DIR) -name "*.gcda" -delete && \
	  { nice -n 10 ctest --test-dir $(COVERAGE_DIR) --output-on-failure -j 2 >$(COVERAGE_DIR)/ctest.log; status=$$?; \
	    sed -n "/tests passed/,\$$p" $(COVERAGE_DIR)/ctest.log; \
	    scripts/coverage-report.sh $(COVERAGE_DIR); exit $$status; }'

# Lines of tests against lines of source per folder; fails above TEST_BUDGET
# percent of src: 40, the aim; the limit only ever goes down.
budget:
	@scripts/test-budget.sh $(TEST_BUDGET)

# Leak hunt: connect-read-disconnect cycles over TCP and a pseudo-terminal and
# gateway restarts (SOAK_ARGS: cycles per link, restarts), counted from /proc
# in the normal build, then under AddressSanitizer's leak checker.
soak: build
	$(BUILD_DIR)/soak/tusko_soak $(SOAK_ARGS)
	cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DTUSKO_SANITIZE=ON -DTUSKO_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS) --target tusko_soak
	$(ASAN_DIR)/soak/tusko_soak $(SOAK_ARGS)

bench: build
	$(BUILD_DIR)/bench/tusko_benchmarks
	$(BUILD_DIR)/bench/tusko_gui_benchmarks

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(TSAN_DIR) $(COVERAGE_DIR)
