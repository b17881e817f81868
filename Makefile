# The two commands of the project: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

FUZZ_SECONDS ?= 20

.PHONY: all deps build run test test-main asan-build test-asan test-tsan test-fuzz clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-editor.sh $(BUILD)

# The main suite runs last, so its summary closes the output.
test: test-asan test-tsan test-main

test-main: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# One clang build under AddressSanitizer and UndefinedBehaviorSanitizer serves both the bounded
# fuzz run and the sanitizer suite: the image library, the model, the shared views and their tests,
# every unit with fuzzing coverage, and the libFuzzer programs beside the tests.
asan-build: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	    -DKFM_SANITIZE=ON -DKFM_FUZZ=ON -DKFM_IMAGELIB_ONLY=ON -DKFM_WITH_VIEWS=ON \
	    -DKFM_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

# The sanitizer suite runs after the fuzz run, which needs the same build and is short.
test-asan: test-fuzz
	@cd $(ASAN_BUILD) && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The image library's thread tests (suites named *Thread*) under ThreadSanitizer; a report fails
# the run.
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKFM_TSAN=ON \
	    -DKFM_IMAGELIB_ONLY=ON -DKFM_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target imagelib_thread_tests
	@cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -R Thread

# A short, bounded libFuzzer run of each fuzz target over the test corpus: all targets share
# FUZZ_SECONDS. A crash fails the run after its last lines.
# GIF: the span-level decoder and the whole load road.
GIF_FUZZ_TARGETS := gif_decode_fuzzer gif_load_fuzzer
GIF_FUZZ_INPUTS := tests/data/gif-damaged tests/data/crashers/gif tests/data/gif/pygif \
    tests/data/gif/pillow
# FLIC: the span level and the exported reader in one target.
FLIC_FUZZ_TARGETS := flic_decode_fuzzer
FLIC_FUZZ_INPUTS := tests/data/flic-damaged tests/data/crashers/flic tests/data/flic
# Metafiles: the EMF player and the WMF conversion.
METAFILE_FUZZ_TARGETS := emf_play_fuzzer wmf_convert_fuzzer
METAFILE_FUZZ_INPUTS := tests/data/metafile
# Photo CD packs, and the PNG, JPEG and TIFF glue over their libraries.
PCD_FUZZ_TARGETS := pcd_decode_fuzzer
PCD_FUZZ_INPUTS := tests/data/pcd-fuzz
STILLS_FUZZ_TARGETS := stills_decode_fuzzer
STILLS_FUZZ_INPUTS := tests/data/png/pngsuite tests/data/jpeg tests/data/tiff tests/data/tiff-damaged
# The still-image codecs (BMP, BMI, PCX, Targa, WPG, icons, MacPaint) share one target whose
# first input byte picks the codec.
STILL_FUZZ_TARGETS := still_image_decode_fuzzer
STILL_FUZZ_INPUTS := fuzz/seeds/still_image $(addprefix tests/data/crashers/,bmp bmi pcx tga wpg ico macpaint)
# Previews of vector and document files: the span-level parsers and the whole preview road.
PREVIEW_FUZZ_TARGETS := preview_parse_fuzzer
PREVIEW_FUZZ_INPUTS := fuzz/seeds/preview tests/data/preview-damaged
# The private clipboard block of frames, which any program can put on the clipboard.
CLIPBOARD_FUZZ_TARGETS := clipboard_block_fuzzer
CLIPBOARD_FUZZ_INPUTS := tests/data/clipboard-damaged
# The desktop clipboard's reading of other programs' data; the first input byte picks the type.
PASTE_FUZZ_TARGETS := clipboard_paste_fuzzer
PASTE_FUZZ_INPUTS := fuzz/seeds/clipboard
# What a control frame's record from a file becomes: settings, look and item texts.
SYSCONTROL_FUZZ_TARGETS := syscontrol_record_fuzzer
SYSCONTROL_FUZZ_INPUTS := tests/data/syscontrol-records
# The plug-in manager's cache file beside the program.
PLUGIN_FUZZ_TARGETS := plugin_cache_fuzzer
PLUGIN_FUZZ_INPUTS := tests/data/plugin-cache-damaged
# The program's picture archive beside the program, with the load of the picture it names.
ARCHIVE_FUZZ_TARGETS := image_archive_fuzzer
ARCHIVE_FUZZ_INPUTS := tests/data/image-archive-damaged
FUZZ_TARGET_COUNT := $(words $(GIF_FUZZ_TARGETS) $(FLIC_FUZZ_TARGETS) $(METAFILE_FUZZ_TARGETS) \
    $(PCD_FUZZ_TARGETS) $(STILLS_FUZZ_TARGETS) $(STILL_FUZZ_TARGETS) $(PREVIEW_FUZZ_TARGETS) \
    $(CLIPBOARD_FUZZ_TARGETS) $(PASTE_FUZZ_TARGETS) $(SYSCONTROL_FUZZ_TARGETS) \
    $(PLUGIN_FUZZ_TARGETS) $(ARCHIVE_FUZZ_TARGETS))
FUZZ_TARGET_SECONDS = $(shell echo $$(( $(FUZZ_SECONDS) > $(FUZZ_TARGET_COUNT) ? \
    $(FUZZ_SECONDS) / $(FUZZ_TARGET_COUNT) : 1 )))

# $(call run_fuzz_targets,targets,inputs): each target for its share of the time.
define run_fuzz_targets
	@for target in $(1); do \
	    mkdir -p $(ASAN_BUILD)/corpus/$$target; \
	    $(ASAN_BUILD)/bin/$$target -max_total_time=$(FUZZ_TARGET_SECONDS) -rss_limit_mb=1024 \
	        -print_final_stats=1 -artifact_prefix=$(ASAN_BUILD)/ $(ASAN_BUILD)/corpus/$$target \
	        $(2) >$(ASAN_BUILD)/$$target.log 2>&1; status=$$?; \
	    tail -n 3 $(ASAN_BUILD)/$$target.log; \
	    [ $$status -eq 0 ] || exit $$status; \
	done
endef

test-fuzz: asan-build
	$(call run_fuzz_targets,$(GIF_FUZZ_TARGETS),$(GIF_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(FLIC_FUZZ_TARGETS),$(FLIC_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(METAFILE_FUZZ_TARGETS),$(METAFILE_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(PCD_FUZZ_TARGETS),$(PCD_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(STILLS_FUZZ_TARGETS),$(STILLS_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(STILL_FUZZ_TARGETS),$(STILL_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(PREVIEW_FUZZ_TARGETS),$(PREVIEW_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(CLIPBOARD_FUZZ_TARGETS),$(CLIPBOARD_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(PASTE_FUZZ_TARGETS),$(PASTE_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(SYSCONTROL_FUZZ_TARGETS),$(SYSCONTROL_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(PLUGIN_FUZZ_TARGETS),$(PLUGIN_FUZZ_INPUTS))
	$(call run_fuzz_targets,$(ARCHIVE_FUZZ_TARGETS),$(ARCHIVE_FUZZ_INPUTS))

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
