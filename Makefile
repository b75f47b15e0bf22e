# The front door: `make run` and `make test` install what is missing, build and go.
BUILD_DIR := build

.PHONY: all deps build run test bench clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja --log-level=WARNING
	@cmake --build $(BUILD_DIR)

run: build
	@scripts/run-demo.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j2 --label-exclude soak

# Pace, processor, memory, start-up and drawing figures against their targets, on a private Xvfb.
# SOAK is the length of the memory run in seconds; below 600 its figure is extrapolated.
SOAK ?= 120
bench: build
	@scripts/with-xvfb.sh $(BUILD_DIR)/bench/nerimo-bench $(SOAK)

clean:
	rm -rf $(BUILD_DIR)
