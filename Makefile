# The two commands: `make test` and `make run`. The rest are their pieces.
SHELL := /bin/bash
ROOT  := $(CURDIR)
# OUT holds the deliverables (OUT/win64, OUT/win32, OUT/linux) and, under
# OUT/build, the build folders; another OUT gives a separate, parallel tree.
OUT   ?= $(ROOT)/out
BUILD := $(OUT)/build
export VANTREL_OUT_DIR := $(OUT)/win64
JOBS  ?= $(shell nproc)

CONFIGURE = cmake -S $(ROOT) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all test run deps build build-linux build-asan build-win64 build-win32 \
        test-native test-asan test-wine test-e2e clean \
        bench stress fuzz dist

all: build

deps:
	@scripts/install-deps

build: build-linux build-asan build-win64 build-win32

build-linux: deps
	@[ -f $(BUILD)/linux/build.ninja ] || $(CONFIGURE) -B $(BUILD)/linux -DVANTREL_OUT_DIR=$(OUT)/linux
	cmake --build $(BUILD)/linux -j $(JOBS)

build-asan: deps
	@[ -f $(BUILD)/asan/build.ninja ] || $(CONFIGURE) -B $(BUILD)/asan -DVANTREL_OUT_DIR=$(BUILD)/asan/out \
	    -DVANTREL_SANITIZE=address,undefined
	cmake --build $(BUILD)/asan -j $(JOBS)

build-win64: deps
	@[ -f $(BUILD)/win64/build.ninja ] || $(CONFIGURE) -B $(BUILD)/win64 -DVANTREL_OUT_DIR=$(OUT)/win64 \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw64.cmake
	cmake --build $(BUILD)/win64 -j $(JOBS)

# Compile-checked only: 32-bit Wine is not available here.
build-win32: deps
	@[ -f $(BUILD)/win32/build.ninja ] || $(CONFIGURE) -B $(BUILD)/win32 -DVANTREL_OUT_DIR=$(OUT)/win32 \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw32.cmake -DVANTREL_TESTS=OFF
	cmake --build $(BUILD)/win32 -j $(JOBS)

test-native: build-linux
	ctest --test-dir $(BUILD)/linux -L native --output-on-failure

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir $(BUILD)/asan -L native --output-on-failure

test-wine: build-win64
	scripts/wine-session $(BUILD)/win64 ctest --test-dir $(BUILD)/win64 -L wine --output-on-failure

test-e2e: build-win64 dist
	scripts/wine-session $(BUILD)/win64 ctest --test-dir $(BUILD)/win64 -L e2e --output-on-failure

# Every build and the packages, then every tier; all tiers run even when one fails.
test: build dist
	@rc=0; \
	echo "== native tier"; $(MAKE) --no-print-directory test-native || rc=1; \
	echo "== sanitizer tier"; $(MAKE) --no-print-directory test-asan || rc=1; \
	echo "== wine and end-to-end tiers"; \
	scripts/wine-session $(BUILD)/win64 bash -c ' \
	    r=0; \
	    ctest --test-dir $(BUILD)/win64 -L wine --output-on-failure || r=1; \
	    ctest --test-dir $(BUILD)/win64 -L e2e --output-on-failure || r=1; \
	    echo "== one menu file, many processes (short)"; \
	    VANTREL_OUT=$(OUT) tests/stress/sharedfile.sh --short || r=1; \
	    exit $$r' || rc=1; \
	exit $$rc

# The portable zips and the installer in OUT/dist (dist/make-dist); the
# sample menu file is built with the native vntool.
dist: build-win64 build-win32
	@[ -f $(BUILD)/linux/build.ninja ] || $(CONFIGURE) -B $(BUILD)/linux -DVANTREL_OUT_DIR=$(OUT)/linux
	cmake --build $(BUILD)/linux --target vntool
	dist/make-dist $(OUT) $(OUT)/linux/vntool

run: build-win64
	scripts/run-demo $(BUILD)/win64

# Many processes on one menu file for a minute (STRESS_SECONDS).
stress: build-linux build-win64
	VANTREL_OUT=$(OUT) tests/stress/sharedfile.sh

# Every benchmark; writes docs/performance.md. Not part of `make test`.
bench: build-linux build-win64
	scripts/bench $(BUILD) $(OUT) docs/performance.md

# Fuzzing with clang's libFuzzer: every target in turn for FUZZ_SECONDS;
# not part of `make test`, which replays the corpora with the usual compiler.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps --fuzz
	fuzz/run-fuzz $(BUILD)/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(OUT)
