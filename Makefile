# Two commands from a fresh clone: `make demo` and `make test`.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
DEMO_OUT   ?= out/demo
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all setup build build-asan build-fuzz demo test test-plain test-asan fuzz fuzz-short bench clean

all: build

setup:
	@scripts/setup

$(BUILD)/build.ninja: CMakeLists.txt | setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

$(BUILD_ASAN)/build.ninja: CMakeLists.txt | setup
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_FLAGS) -DLUMIVA_SANITIZE=ON -DLUMIVA_BENCH=OFF

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: setup $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS)

$(BUILD_FUZZ)/build.ninja: CMakeLists.txt | setup
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(CMAKE_FLAGS) -DLUMIVA_FUZZ=ON -DLUMIVA_BENCH=OFF

build-fuzz: setup $(BUILD_FUZZ)/build.ninja
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target lumiva-fuzz

# Shows the frames in a window when a display is there; DEMO_FLAGS=--headless keeps them in memory.
demo: build
	$(BUILD)/lumiva-demo --out $(DEMO_OUT) $(DEMO_FLAGS)

test-plain: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 300

test-asan: build-asan
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest -j $(JOBS) --output-on-failure --timeout 600

test: test-plain test-asan
	$(MAKE) fuzz-short

# Every fuzz target for FUZZ_SECONDS each, several at once; fails on any finding.
fuzz: build-fuzz
	fuzz/run.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

fuzz-short: build-fuzz
	fuzz/run.sh $(BUILD_FUZZ) 15

bench: build
	$(BUILD)/lumiva-bench

# Device-loss cycles and start-up memory shortages under ASan+UBSan; the
# tests run a short soak of 100 cycles.
SOAK_CYCLES ?= 1000
SOAK_SEED   ?= 1
.PHONY: soak
soak: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(BUILD_ASAN)/lumiva-soak --cycles $(SOAK_CYCLES) --seed $(SOAK_SEED)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) out
