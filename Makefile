# Entry points for people and CI. `make test` on a fresh Debian 12 machine installs what is
# needed, builds everything and runs the whole test suite.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DMORVANE_WERROR=ON
endif

.PHONY: all deps configure build test run bench install clean

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

clean:
	rm -rf $(BUILD_DIR)
