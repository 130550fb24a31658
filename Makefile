# The two set-up commands of the README, and a few more for developers.
#   make run    install what is missing, build, open the editor on the demo ROM image
#   make test   install what is missing, build, run every test
#   make bench  build and run the benchmarks
#   make test-release, sanitize, fuzz: the other builds CI runs

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

# Debian 12 packages the build needs; cc65 assembles the demo image's viewer,
# fceux is the emulator of Play in Emulator and of the test that checks our
# pictures against it, which runs it under Xvfb.
PACKAGES := cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpng-dev zlib1g-dev nettle-dev liblcms2-dev \
  qt6-base-dev desktop-file-utils groff-base appstream cc65 fceux xvfb xauth

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
CLI := $(BUILD_DIR)/src/tarvo-cli
DEMO_ROM := $(BUILD_DIR)/demo.nes

.PHONY: run test test-release bench build configure deps clean format screenshot sanitize fuzz fuzz-deps package

run: build
	$(CLI) demo --force $(DEMO_ROM)
	$(BUILD_DIR)/src/tarvo-field-editor $(DEMO_ROM)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

bench: build
	$(BUILD_DIR)/bench/tarvo_bench
	$(BUILD_DIR)/bench/tarvo_window_bench

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# Developers' builds treat warnings as errors; a build folder made before
# that option existed is configured again to take it.
configure: deps
	@if ! grep -qs '^TARVO_WERROR:BOOL=ON$$' $(BUILD_DIR)/CMakeCache.txt; then \
	  cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARVO_WERROR=ON; \
	fi

# The whole suite again in a Release build (-O3, where GCC warns of more),
# warnings still errors.
RELEASE_DIR ?= build-release

test-release: deps
	@if ! grep -qs '^TARVO_WERROR:BOOL=ON$$' $(RELEASE_DIR)/CMakeCache.txt; then \
	  cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DTARVO_WERROR=ON -DTARVO_BUILD_BENCH=OFF; \
	fi
	cmake --build $(RELEASE_DIR) -j$(JOBS)
	cd $(RELEASE_DIR) && ctest --output-on-failure -j$(JOBS)

# Installs only the packages that are missing, so a machine that has them all
# pays nothing.
deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

# The whole test suite under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer, in a build of its own.
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer

sanitize: deps
	@if [ ! -f $(SANITIZE_DIR)/CMakeCache.txt ]; then \
	  cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_BUILD_BENCH=OFF -DTARVO_WERROR=ON \
	    -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"; \
	fi
	cmake --build $(SANITIZE_DIR) -j$(JOBS)
	cd $(SANITIZE_DIR) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j$(JOBS)

# The fuzz targets (libFuzzer, Debian's clang), each for FUZZ_SECONDS.
# Inputs that break a target land in build-fuzz/artifacts/; keep each under
# tests/fuzz_regressions/TARGET/ so that make test runs it from then on.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := rom_views edits png_import patch_apply map_block_text picture_fit bookkeeping
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_FLAGS := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer

fuzz-deps: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"

fuzz: fuzz-deps build
	@if [ ! -f $(FUZZ_DIR)/CMakeCache.txt ]; then \
	  CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTARVO_BUILD_FUZZERS=ON -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=OFF -DTARVO_WERROR=ON \
	    -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)"; \
	fi
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	tools/fuzz.sh $(FUZZ_DIR) $(BUILD_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# A .deb of the editor and tarvo-cli, built with CPack (dpkg-shlibdeps and
# file work out its dependencies).
package: build
	@$(MAKE) --no-print-directory deps PACKAGES="dpkg-dev file"
	cd $(BUILD_DIR) && cpack -G DEB

# The README's screenshot, taken of a real window under Xvfb.
screenshot: build
	tools/screenshot.sh docs

clean:
	rm -rf $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
