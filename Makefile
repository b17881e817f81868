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
# decoder, the GIF whole load road and the still-image codecs share FUZZ_SECONDS. A crash fails
# the run after its last lines.
GIF_FUZZ_TARGETS := gif_decode_fuzzer gif_load_fuzzer
GIF_FUZZ_INPUTS := tests/data/gif-damaged tests/data/crashers/gif tests/data/gif/pygif \
    tests/data/gif/pillow
# The still-image codecs (BMP, BMI, PCX, Targa, WPG, icons, MacPaint) share one target whose
# first input byte picks the codec; it takes the third share of FUZZ_SECONDS.
STILL_FUZZ_TARGETS := still_image_decode_fuzzer
STILL_FUZZ_INPUTS := fuzz/seeds/still_image $(addprefix tests/data/crashers/,bmp bmi pcx tga wpg ico macpaint)
FUZZ_TARGET_SECONDS = $(shell echo $$(( $(FUZZ_SECONDS) > 2 ? $(FUZZ_SECONDS) / 3 : 1 )))

test-fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKFM_FUZZ=ON -DKFM_IMAGELIB_ONLY=ON -DKFM_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(GIF_FUZZ_TARGETS) $(STILL_FUZZ_TARGETS)
	@for target in $(GIF_FUZZ_TARGETS) $(STILL_FUZZ_TARGETS); do \
	    case $$target in still_*) inputs="$(STILL_FUZZ_INPUTS)";; *) inputs="$(GIF_FUZZ_INPUTS)";; esac; \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$target; \
	    $(FUZZ_BUILD)/bin/$$target -max_total_time=$(FUZZ_TARGET_SECONDS) -rss_limit_mb=1024 \
	        -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus/$$target \
	        $$inputs >$(FUZZ_BUILD)/$$target.log 2>&1; status=$$?; \
	    tail -n 3 $(FUZZ_BUILD)/$$target.log; \
	    [ $$status -eq 0 ] || exit $$status; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
