# Entry points for people and CI. `make test` on a fresh Debian 12 machine installs what is
# needed, builds everything and runs the whole test suite.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DMORVANE_WERROR=ON
endif

.PHONY: all deps configure build test run bench install package clean

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

run: build
	./scripts/run-window.sh $(BUILD_DIR)

bench: build
	./scripts/run-benchmarks.sh $(BUILD_DIR)

install: build
	cmake --install $(BUILD_DIR)

# The Debian package $(BUILD_DIR)/morvane_<version>_amd64.deb.
package: build
	cmake --build $(BUILD_DIR) --target package

clean:
	rm -rf $(BUILD_DIR)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer (g++), leak
# detection included; see docs/reliability.md.
# The gigabyte cancel test (label large) runs in `make test`; here its 64 MB variant covers the
# same code.
SANITIZE_DIR ?= build-asan
.PHONY: sanitize
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DMORVANE_SANITIZE=ON -DMORVANE_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS) -LE large

# The tests that convert one file on several threads, under ThreadSanitizer (g++); any report
# fails. Only those tests and what they link are built.
TSAN_DIR ?= build-tsan
.PHONY: tsan
tsan: deps
	cmake -S . -B $(TSAN_DIR) -DMORVANE_TSAN=ON -DMORVANE_BUILD_APP=OFF -DMORVANE_BUILD_CLI=OFF \
	  -DMORVANE_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(TSAN_DIR) -j $(JOBS) --target shapefile_thread_tests shapefile_golden_tests
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS) -L threads

# The shapefile fuzzer (clang, libFuzzer with both sanitizers) for FUZZ_SECONDS; any finding
# fails. See tests/fuzz/run-fuzzer.sh.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 120
.PHONY: fuzz
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DMORVANE_SANITIZE=ON -DMORVANE_BUILD_FUZZERS=ON \
	  -DMORVANE_BUILD_APP=OFF -DMORVANE_BUILD_CLI=OFF -DMORVANE_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target shapefile_fuzzer write_seeds
	./tests/fuzz/run-fuzzer.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# morvane-cli for 64-bit Windows, cross-compiled with mingw-w64 and linked statically:
# $(WINDOWS_DIR)/morvane-cli-<version>-windows-x64.zip, and the engine's tests as a Windows
# program. See docs/windows.md.
WINDOWS_DIR ?= build-windows
.PHONY: windows windows-test
windows: deps
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DMORVANE_BUILD_APP=OFF -DMORVANE_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

# The .exe, the zip and the engine's tests run under Wine, and compared with this system's
# build of the same sources ($(WINDOWS_DIR)/host, only what the comparison needs); prints how
# many converted coordinates differ from this system's.
windows-test: windows
	cmake -S . -B $(WINDOWS_DIR)/host -DMORVANE_BUILD_APP=OFF -DMORVANE_BUILD_BENCHMARKS=OFF \
	  -DMORVANE_WINDOWS_BUILD=$(abspath $(WINDOWS_DIR)) $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_DIR)/host -j $(JOBS) --target windows_cli_test
	ctest --test-dir $(WINDOWS_DIR)/host --output-on-failure -L windows
	@grep -h "coordinates that differ" $(WINDOWS_DIR)/host/Testing/Temporary/LastTest.log
