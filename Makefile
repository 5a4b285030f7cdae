# make        builds the core tests (build/native) and Velmaro.exe (build/windows)
# make test   builds and runs every test, and prints each stage's time
# make test-fast  the inner loop: the native and the Win32 tests (no end-to-end, no fuzz)
# make run    builds and starts Velmaro.exe under Wine
# make bench  builds and runs the benchmarks; figures last, as "bench NAME VALUE UNIT"
# make soak   runs the program with 1 000 tasks for 10 minutes under Wine (not part of make test)
# Each installs what it needs on Debian 12 first (tools/install-deps.sh;
# VELMARO_SKIP_DEPS=1 skips that on machines set up otherwise).
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
BUILD_TYPE ?= Release

.PHONY: all deps native windows test test-fast run bench soak fuzz clean

all: native windows

deps:
	@tools/install-deps.sh

native: deps
	@cmake -S . -B build/native -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build build/native -j$(JOBS)

windows: deps
	@BUILD_TYPE=$(BUILD_TYPE) JOBS=$(JOBS) tools/build-windows.sh

# The builds are stages of the test run, so that their time is counted too.
test: deps
	@BUILD_TYPE=$(BUILD_TYPE) tools/test.sh

test-fast: deps
	@BUILD_TYPE=$(BUILD_TYPE) tools/test.sh --fast

run: windows
	@tools/run.sh

bench: all
	@tools/bench.sh

soak: windows
	@tools/soak.sh $(or $(MINUTES),10)

fuzz: deps
	@tools/fuzz.sh $(or $(SECONDS),60)

clean:
	rm -rf build
