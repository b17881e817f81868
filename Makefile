# The two commands of the project: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 20

.PHONY: all deps build run test test-main test-asan test-tsan test-fuzz clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-editor.sh $(BUILD)

# The main suite runs last, so its summary closes the output.
test: test-fuzz test-asan test-tsan test-main

test-main: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The image library and its tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKFM_SANITIZE=ON \
	    -DKFM_IMAGELIB_ONLY=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The image library's thread tests (suites named *Thread*) under ThreadSanitizer; a report fails
# the run.
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKFM_TSAN=ON \
	    -DKFM_IMAGELIB_ONLY=ON -DKFM_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target imagelib_core_tests imagelib_formats_tests
	@cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -R Thread

# A short, bounded libFuzzer run of each fuzz target over the test corpus: the GIF span-level
# decoder and whole load road, the Photo CD pack reader and the PNG, JPEG and TIFF glue share
# FUZZ_SECONDS. A crash fails the run after its last lines.
GIF_FUZZ_TARGETS := gif_decode_fuzzer gif_load_fuzzer
GIF_FUZZ_INPUTS := tests/data/gif-damaged tests/data/crashers/gif tests/data/gif/pygif \
    tests/data/gif/pillow
PCD_FUZZ_INPUTS := tests/data/pcd-fuzz
STILLS_FUZZ_INPUTS := tests/data/png/pngsuite tests/data/jpeg tests/data/tiff tests/data/tiff-damaged
FUZZ_TARGETS := $(GIF_FUZZ_TARGETS) pcd_decode_fuzzer stills_decode_fuzzer
FUZZ_TARGET_COUNT := $(words $(FUZZ_TARGETS))
FUZZ_TARGET_SECONDS = $(shell echo $$(( $(FUZZ_SECONDS) > $(FUZZ_TARGET_COUNT) ? \
    $(FUZZ_SECONDS) / $(FUZZ_TARGET_COUNT) : 1 )))

test-fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKFM_FUZZ=ON -DKFM_IMAGELIB_ONLY=ON -DKFM_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@for target in $(FUZZ_TARGETS); do \
	    case $$target in \
	        pcd_*) inputs="$(PCD_FUZZ_INPUTS)";; \
	        stills_*) inputs="$(STILLS_FUZZ_INPUTS)";; \
	        *) inputs="$(GIF_FUZZ_INPUTS)";; \
	    esac; \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$target; \
	    $(FUZZ_BUILD)/bin/$$target -max_total_time=$(FUZZ_TARGET_SECONDS) -rss_limit_mb=1024 \
	        -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus/$$target \
	        $$inputs >$(FUZZ_BUILD)/$$target.log 2>&1; status=$$?; \
	    tail -n 3 $(FUZZ_BUILD)/$$target.log; \
	    [ $$status -eq 0 ] || exit $$status; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
