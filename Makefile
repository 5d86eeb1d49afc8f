# Two commands do everything on a fresh Debian machine:
#   make run    installs what is missing, builds, and starts the game on the sample puzzles
#   make test   installs what is missing, builds, and runs every test
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
PUZZLES    ?= $(CURDIR)/samples/puzzles

.PHONY: all setup configure build run test asan bench deb format clean

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

bench: build
	@for b in $(BUILD)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done

deb: build
	cd $(BUILD) && cpack -G DEB

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
