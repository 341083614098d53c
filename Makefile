# Set-up, build, run and test of Kalumbrixtor on Debian 12. Run as root on a fresh machine:
# every target that needs packages installs the missing ones first.

PACKAGES := build-essential cmake ninja-build qt6-base-dev qt6-translations-l10n \
            fonts-liberation2 xvfb xauth openbox xdotool imagemagick poppler-utils \
            libbenchmark-dev clang-format
JOBS     ?= $(shell nproc)
BUILD    := build
ASAN     := build-asan
BENCH    := build-bench
RUNDIR   := run

.PHONY: deps build run test bench format clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

# Configuring every time is quick and picks up folders that were added since.
CONFIGURE_PLAIN := cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
                   -DKALU_SANITIZER_BUILD_DIR=$(CURDIR)/$(ASAN) >/dev/null
CONFIGURE_ASAN  := cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKALU_SANITIZE=ON >/dev/null
CONFIGURE_BENCH := cmake -S . -B $(BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALU_BENCH=ON >/dev/null

build:
	$(CONFIGURE_PLAIN)
	cmake --build $(BUILD) -j $(JOBS)

# The program creates its data files in the working folder, so it runs in run/.
run: deps build
	@mkdir -p $(RUNDIR)
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
	  cd $(RUNDIR) && ../$(BUILD)/kalumbrixtor; \
	else \
	  echo "No display found: starting Kalumbrixtor on a virtual display (xvfb-run)."; \
	  cd $(RUNDIR) && xvfb-run -a -s "-screen 0 1280x1024x24" ../$(BUILD)/kalumbrixtor; \
	fi

# One ctest run in the plain build: the core and window tests, and the whole suite of the
# AddressSanitizer + UndefinedBehaviorSanitizer build as the test "sanitizer_run".
test: deps
	$(CONFIGURE_ASAN)
	cmake --build $(ASAN) -j $(JOBS)
	$(CONFIGURE_PLAIN)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps
	$(CONFIGURE_BENCH)
	cmake --build $(BENCH) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen $(BENCH)/bench/bench_generation
	QT_QPA_PLATFORM=offscreen $(BENCH)/bench/bench_answer_to_next_task
	QT_QPA_PLATFORM=offscreen $(BENCH)/bench/bench_task_set_viewer
	$(BENCH)/bench/startup_probe --program $(BENCH)/kalumbrixtor --bare $(BENCH)/bench/bare_window
	$(BENCH)/bench/startup_probe --program $(BENCH)/kalumbrixtor --bare $(BENCH)/bench/bare_window --wm

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH)
