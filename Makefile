# AXOComm: build, test, demo and benchmarks.
#
#   make demo           build, then ping the simulated driver plain and over TLS, start it
#                       at level 2 and dispense a formula
#   make demo-gui       build, then the service panel against the simulated driver (on the
#                       display, or under Xvfb with a screenshot when there is none)
#   make test           build and run every test (ctest)
#   make test-sanitize  the same tests built with AddressSanitizer + UBSan
#   make bench          the benchmarks (Release build)
#   make docs           the API reference with Doxygen, when it is installed
#   make deps           install the Debian packages the build needs

JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
BUILD_DIR   ?= build
SAN_DIR     ?= build-sanitize
BENCH_DIR   ?= build-bench
TSAN_DIR    ?= build-tsan
FUZZ_DIR    ?= build-fuzz
FUZZ_SECONDS ?= 60
DOCS_DIR    ?= $(BUILD_DIR)/docs
CMAKE_FLAGS ?=

DEPS_PACKAGES = cmake g++ make pkg-config openssl ca-certificates python3 \
                qtbase5-dev libssl-dev libspdlog-dev libfmt-dev libgtest-dev libgmock-dev
FUZZ_PACKAGES = clang libclang-rt-14-dev
BENCH_PACKAGES = libbenchmark-dev libxmlrpc-c++8-dev python3

.PHONY: all deps deps-bench deps-fuzz build test test-sanitize test-tsan fuzz demo demo-gui bench docs install clean

all: build

deps:
	@./.ci/install-deps $(DEPS_PACKAGES)

deps-bench:
	@./.ci/install-deps $(DEPS_PACKAGES) $(BENCH_PACKAGES)

deps-fuzz:
	@./.ci/install-deps $(DEPS_PACKAGES) $(FUZZ_PACKAGES)

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAXOCOMM_UNITY_BUILD=ON $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

$(SAN_DIR)/CMakeCache.txt:
	cmake -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DAXOCOMM_SANITIZE=ON -DAXOCOMM_UNITY_BUILD=ON $(CMAKE_FLAGS)

test-sanitize: deps $(SAN_DIR)/CMakeCache.txt
	cmake --build $(SAN_DIR) -j $(JOBS)
	cd $(SAN_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

$(TSAN_DIR)/CMakeCache.txt:
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAXOCOMM_TSAN=ON -DAXOCOMM_UNITY_BUILD=ON \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g -DNDEBUG" $(CMAKE_FLAGS)

test-tsan: deps $(TSAN_DIR)/CMakeCache.txt
	cmake --build $(TSAN_DIR) -j $(JOBS)
	cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=0 exitcode=66 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan/suppressions.txt" \
	  ctest --output-on-failure -j $(JOBS)

fuzz: deps-fuzz
	@./tests/fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

demo: build
	@./examples/demo.sh $(BUILD_DIR)

demo-gui: build
	@./examples/service-panel/demo-gui.sh $(BUILD_DIR)

$(BENCH_DIR)/CMakeCache.txt:
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DAXOCOMM_BUILD_BENCH=ON -DAXOCOMM_BUILD_TESTS=OFF $(CMAKE_FLAGS)

bench: deps-bench $(BENCH_DIR)/CMakeCache.txt
	cmake --build $(BENCH_DIR) -j $(JOBS)
	cmake --build $(BENCH_DIR) --target run-bench

# Doxygen is optional: without it there is nothing to do, and that is no error.
docs:
	@if ! command -v doxygen >/dev/null 2>&1; then \
	  echo "docs: doxygen is not installed, no API reference built (apt-get install doxygen)"; \
	  exit 0; \
	fi; \
	mkdir -p $(DOCS_DIR) && \
	{ cat docs/Doxyfile; echo "OUTPUT_DIRECTORY = $(DOCS_DIR)"; echo "WARN_LOGFILE = $(DOCS_DIR)/warnings.log"; } \
	  | doxygen - && \
	echo "docs: $(DOCS_DIR)/html/index.html ($$(sort -u $(DOCS_DIR)/warnings.log | grep -c 'warning:') warnings, in $(DOCS_DIR)/warnings.log)"

install: build
	cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix $(PREFIX),)

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(BENCH_DIR) $(TSAN_DIR) $(FUZZ_DIR)
