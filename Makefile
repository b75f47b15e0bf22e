# The front door: `make run` and `make test` install what is missing, build and go.
BUILD_DIR := build

.PHONY: all deps test-deps configure build demo run survey test test-asan coverage bench \
	bench-fleet fuzz \
	installed deb install architecture clean

all: build

deps:
	@scripts/install-deps.sh

# What the tests need besides: the package's checks, a second user, a comma-decimal locale.
test-deps:
	@scripts/install-deps.sh --test

configure: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja --log-level=WARNING

build: configure
	@cmake --build $(BUILD_DIR)

# Only what the demo runs: the program, the simulated receiver and the icons, not the tests.
demo: configure
	@cmake --build $(BUILD_DIR) --target nerimo nerimo-receiver-sim nerimo-icons

# RIG=2: the demo through Hamlib, the simulated receiver served as rigctld.
run: demo
	@RIG=$(RIG) scripts/run-demo.sh $(BUILD_DIR)

# An unattended survey of the demo band, no window: SWEEPS sweeps (2), a log and a picture.
survey: demo
	@SURVEY=$(or $(SWEEPS),2) RIG=$(RIG) scripts/run-demo.sh $(BUILD_DIR)

test: test-deps build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j3 --label-exclude soak

# What an install holds: both programs, the icons, the manual pages (the collector's too), the
# changelog; the collector itself and the README and guide are installed as they stand.
INSTALLED := nerimo nerimo-receiver-sim nerimo-icons nerimo-man nerimo-receiver-sim-man \
	nerimo-collect-man nerimo-changelog
installed: configure
	@cmake --build $(BUILD_DIR) --target $(INSTALLED)

# The Debian package: build/nerimo_VERSION_amd64.deb.
deb: installed
	@scripts/install-deps.sh --package
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null && ls "$$PWD"/nerimo_*_amd64.deb

# Everything installed under PREFIX (/usr/local by default; PREFIX=~/.local for one user).
PREFIX ?= /usr/local
install: installed
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The whole suite, the soak included, on a build with AddressSanitizer and UndefinedBehaviorSanitizer.
# Leaks inside system libraries are suppressed, each named in tests/sanitizers/lsan.supp.
ASAN_DIR := build-asan
test-asan: test-deps
	@test -f $(ASAN_DIR)/build.ninja || cmake -S . -B $(ASAN_DIR) -G Ninja -DNERIMO_SANITIZE=ON \
		--log-level=WARNING
	@cmake --build $(ASAN_DIR)
	@cd $(ASAN_DIR) && \
		ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:quarantine_size_mb=4 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j2

# Line and branch coverage of src/ and tools/ by make test's suites, on a build of its own.
COVERAGE_DIR := build-coverage
coverage: test-deps
	@scripts/install-deps.sh --coverage
	@test -f $(COVERAGE_DIR)/build.ninja || cmake -S . -B $(COVERAGE_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=Debug -DNERIMO_COVERAGE=ON --log-level=WARNING
	@cmake --build $(COVERAGE_DIR)
	@find $(COVERAGE_DIR) -name '*.gcda' -delete
	@# The tests' runs as another user (setpriv) leave their counters too.
	@chmod -R a+rwX $(COVERAGE_DIR)
	@status=0; (cd $(COVERAGE_DIR) && umask 0 && ctest --output-on-failure -j2 --label-exclude soak) \
		|| status=$$?; \
		gcovr --root . --filter 'src/' --filter 'tools/' --exclude-throw-branches \
		--exclude-unreachable-branches --print-summary $(COVERAGE_DIR) | tail -n 3; exit $$status

# Pace, processor, memory, start-up and drawing figures against their targets, on a private Xvfb.
# SOAK is the length of the memory run in seconds; below 600 its figure is extrapolated. PROGRAM
# measures another build of nerimo the same way.
SOAK ?= 120
bench: build
	@scripts/with-xvfb.sh $(BUILD_DIR)/bench/nerimo-bench $(or $(SOAK),120) "$(PROGRAM)" $(ONLY)

# A fleet on this machine: SENSORS surveys (20) into one Mosquitto, the collector into one
# InfluxDB, and a window watching four of them, for SECONDS (120); what it costs and loses.
bench-fleet: test-deps build
	@$(BUILD_DIR)/bench/nerimo-bench-fleet $(or $(SENSORS),20) $(or $(SECONDS),120)

# The libFuzzer targets, built with clang in a folder of their own; FUZZ_SECONDS for each.
FUZZ_DIR := build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps.sh --fuzz
	@test -f $(FUZZ_DIR)/build.ninja || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja \
		-DNERIMO_FUZZ=ON -DBUILD_TESTING=OFF --log-level=WARNING
	@cmake --build $(FUZZ_DIR) --target fuzzers
	@scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# docs/libraries.svg, the picture of docs/architecture.md, drawn from the build's own targets.
architecture: configure
	@scripts/install-deps.sh --docs
	@cd $(BUILD_DIR) && cmake --graphviz=libraries.dot . >/dev/null
	@dot -Tsvg $(BUILD_DIR)/libraries.dot -o docs/libraries.svg

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(COVERAGE_DIR)
