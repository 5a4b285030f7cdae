# make        builds the core tests (build/native) and Velmaro.exe (build/windows)
# make test   builds and runs every test
# make run    builds and starts Velmaro.exe under Wine
# make bench  builds and runs the benchmarks; figures last, as "bench NAME VALUE UNIT"
# make soak   runs the program with 1 000 tasks for 10 minutes under Wine (not part of make test)
# Each installs what it needs on Debian 12 first (tools/install-deps.sh).
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
BUILD_TYPE ?= Release

.PHONY: all deps native windows test run bench soak fuzz clean

all: native windows

deps:
	@tools/install-deps.sh

native: deps
	@cmake -S . -B build/native -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build build/native -j$(JOBS)

windows: deps
	@cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build build/windows -j$(JOBS)

test: all
	@tools/test.sh

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
