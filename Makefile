# Two commands from a fresh clone: `make demo` and `make test`.
BUILD      ?= build
# One clang tree holds the ASan+UBSan tests and the fuzz targets.
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= $(BUILD_ASAN)
BUILD_TSAN ?= build-tsan
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
DEMO_OUT   ?= out/demo
# Line tables only: stack traces keep files and lines, and the build spends
# a third less time writing debug information.
DEBUG_INFO ?= -g1
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 $(DEBUG_INFO) -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 $(DEBUG_INFO) -DNDEBUG"
# The sanitizer trees only run tests: -O1 compiles faster and keeps their
# reports' stacks whole.
SANITIZER_CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 $(DEBUG_INFO) -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 $(DEBUG_INFO) -DNDEBUG"

STAGES     ?= $(BUILD)/stage-times.txt
STAGE       = scripts/stage $(STAGES)
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all setup build build-asan build-fuzz build-tsan demo test test-plain test-asan tsan fuzz fuzz-short bench clean layers

all: build

setup:
	@scripts/setup

$(BUILD)/build.ninja: CMakeLists.txt | setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

$(BUILD_ASAN)/build.ninja: CMakeLists.txt | setup
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_ASAN) $(SANITIZER_CMAKE_FLAGS) -DLUMIVA_SANITIZE=ON -DLUMIVA_FUZZ=ON -DLUMIVA_BENCH=OFF

$(BUILD_TSAN)/build.ninja: CMakeLists.txt | setup
	cmake -S . -B $(BUILD_TSAN) $(SANITIZER_CMAKE_FLAGS) -DLUMIVA_TSAN=ON -DLUMIVA_BENCH=OFF

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: setup $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS)

build-fuzz: build-asan

# Only the programs that hold threaded tests are built under ThreadSanitizer.
build-tsan: setup $(BUILD_TSAN)/build.ninja
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target lumiva-threaded-tests

# Shows the frames in a window when a display is there; DEMO_FLAGS=--headless keeps them in memory.
demo: build
	$(BUILD)/lumiva-demo --out $(DEMO_OUT) $(DEMO_FLAGS)

test-plain: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 300

test-asan: build-asan
	cd $(BUILD_ASAN) && $(SANITIZER_ENV) ctest -j $(JOBS) --output-on-failure --timeout 600

# Every test labelled "threaded" (suites named ...ThreadTest).
tsan: build-tsan
	cd $(BUILD_TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest -L threaded --no-tests=error -j $(JOBS) --output-on-failure --timeout 600

# Includes run only down the layers (platform up to tests; see the script).
layers:
	scripts/check-layers

# Each line is one stage; the times are printed at the end, or at the first failure.
test:
	@$(STAGE) --start
	@$(STAGE) layers $(MAKE) layers
	@$(STAGE) build $(MAKE) build
	@$(STAGE) test-plain $(MAKE) test-plain
	@$(STAGE) build-asan $(MAKE) build-asan
	@$(STAGE) test-asan $(MAKE) test-asan
	@$(STAGE) build-tsan $(MAKE) build-tsan
	@$(STAGE) tsan $(MAKE) tsan
	@$(STAGE) fuzz-short $(MAKE) fuzz-short
	@$(STAGE) --report

# Every fuzz target for FUZZ_SECONDS each, several at once; fails on any finding.
fuzz: build-fuzz
	fuzz/run.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

fuzz-short: build-fuzz
	fuzz/run.sh $(BUILD_FUZZ) 15

bench: build
	$(BUILD)/lumiva-bench

# Device-loss cycles and start-up memory shortages, then map load/unload
# cycles and frames of the whole scene (long life), under ASan+UBSan; the
# tests run short forms of both.
SOAK_CYCLES ?= 1000
SOAK_SEED   ?= 1
SOAK_LIFE_CYCLES ?= 100
SOAK_LIFE_FRAMES ?= 20000
.PHONY: soak
soak: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(BUILD_ASAN)/lumiva-soak --cycles $(SOAK_CYCLES) --seed $(SOAK_SEED)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(BUILD_ASAN)/lumiva-soak-life --cycles $(SOAK_LIFE_CYCLES) --frames $(SOAK_LIFE_FRAMES)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_TSAN) out
