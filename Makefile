# Two commands do everything on a fresh Debian machine:
#   make run    installs what is missing, builds, and starts the game on the sample puzzles
#   make test   installs what is missing, builds, and runs every test
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# Seconds each fuzz target runs in `make fuzz`; FUZZ_TARGETS picks some of them.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= image_file image_reader puzzle_text load_puzzle remote_framer dialog_input settings replay_script control_request
JOBS       ?= $(shell nproc)
PUZZLES    ?= $(CURDIR)/samples/puzzles

.PHONY: all setup configure build run test asan fuzz bench deb format clean

all: build

setup:
	@bash scripts/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: setup $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/bin/kelvandor ]; then \
	  $(BUILD)/bin/kelvandor "$(PUZZLES)"; \
	else \
	  echo "The game window is not built yet; checking the sample puzzles instead."; \
	  $(BUILD)/bin/kelvandor-tool check "$(PUZZLES)"; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 600 -j $(JOBS)

asan: setup
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVANDOR_SANITIZE=ON -DKELVANDOR_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure --timeout 600 -j $(JOBS)

# libFuzzer builds of the fuzz targets (clang), each run for FUZZ_SECONDS on its committed
# corpus and the seeds of scripts/make-fuzz-seeds.sh; new inputs go to $(FUZZ_BUILD)/corpus,
# findings to $(FUZZ_BUILD)/findings. See docs/robustness.md.
fuzz: setup
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANDOR_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	bash scripts/make-fuzz-seeds.sh $(FUZZ_BUILD)/seeds
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/findings/$$t && \
	  echo "fuzz: $$t for $(FUZZ_SECONDS) s" && \
	  $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2560 -timeout=25 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$t/ -print_final_stats=1 \
	    $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t $(FUZZ_BUILD)/seeds/$$t 2>&1 | tail -12 || exit 1; \
	done

bench: build
	@for b in $(BUILD)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

deb: build
	cd $(BUILD) && cpack -G DEB

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
