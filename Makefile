# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run run-client test sanitize tidy package soak bench format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found. Run it under a virtual display instead:  xvfb-run -a $(BUILD)/bin/qorvil-server"; \
	    echo "(or set DISPLAY to an X server you can see)."; \
	    exit 1; \
	fi
	@$(BUILD)/bin/qorvil-server

run-client: build
	@$(BUILD)/bin/qorvil-client

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

# Every test again in a build with the address and undefined behaviour sanitizers, which stop a test at the
# first report, and with warnings as errors (in $(BUILD)-sanitize). Optimised a little and with line tables only,
# which is enough for the reports' stacks and much cheaper to build.
sanitize: deps
	@scripts/install-deps libasan8 libubsan1
	@cmake -S . -B $(BUILD)-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo '-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1' \
	    -DQORVIL_SANITIZE=ON -DQORVIL_WERROR=ON >/dev/null
	@cmake --build $(BUILD)-sanitize
	@cd $(BUILD)-sanitize && ctest --output-on-failure -j2

# clang-tidy over every source file with the checks of .clang-tidy; any finding fails.
tidy: build
	@command -v clang-tidy >/dev/null || scripts/install-deps clang-tidy
	@scripts/tidy $(BUILD)

# The Debian packages qorvil, qorvil-client and qorvil-service, in $(BUILD)/packages.
package: build
	@cd $(BUILD) && cpack -G DEB -B packages >/dev/null
	@ls -1 $(BUILD)/packages/*.deb

# The hardening suite's long cases (thousands of connections, kill loops), bounded to a few minutes.
soak: build
	@cd $(BUILD) && QORVIL_SOAK=1 ctest --output-on-failure -R hardening

bench: deps
	@cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQORVIL_BUILD_BENCH=ON -DQORVIL_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD)-bench
	@bench/run-bench $(BUILD)-bench

format:
	@command -v clang-format >/dev/null || scripts/install-deps clang-format
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-sanitize
