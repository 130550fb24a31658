# The two set-up commands of the README, and a few more for developers.
#   make run    install what is missing, build, open the editor on the demo ROM image
#   make test   install what is missing, build, run every test
#   make bench  build and run the benchmarks

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2

# Debian 12 packages the build needs.
PACKAGES := cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpng-dev zlib1g-dev qt6-base-dev

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
CLI := $(BUILD_DIR)/src/tarvo-cli
DEMO_ROM := $(BUILD_DIR)/demo.nes

.PHONY: run test bench build configure deps clean format screenshot

run: build
	$(CLI) demo $(DEMO_ROM)
	$(BUILD_DIR)/src/tarvo-field-editor $(DEMO_ROM)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

bench: build
	$(BUILD_DIR)/bench/tarvo_bench

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

configure: deps
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ]; then \
	  cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

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

# The README's screenshot, taken of a real window under Xvfb.
screenshot: build
	tools/screenshot.sh docs

clean:
	rm -rf $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
