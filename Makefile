# Set-up, build, run and test of Kalumbrixtor on Debian 12. Run as root on a fresh machine:
# every target that needs packages installs the missing ones first.

PACKAGES := build-essential cmake ninja-build qt6-base-dev qt6-translations-l10n \
            fonts-liberation2 xvfb xauth openbox xdotool imagemagick poppler-utils \
            libbenchmark-dev clang-format fontconfig desktop-file-utils appstream dpkg-dev file \
            clang libclang-rt-14-dev libqt6sql6-sqlite libsqlite3-dev qt6-charts-dev \
            libqt6opengl6-dev postgresql libpq-dev qt6-speech-dev qt6-declarative-dev \
            qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng espeak-ng sox
JOBS     ?= $(shell nproc)
BUILD    := build
ASAN     := build-asan
BENCH    := build-bench
FUZZ     := build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fuzz_best_list fuzz_results_file fuzz_task_set fuzz_history_file fuzz_history_answers
RUNDIR   := run
PREFIX   ?= /usr/local

.PHONY: deps build run test bench fuzz install package format clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi
	@# fontconfig trusts a folder's cache only while the folder's modification time (seconds and
	@# nanoseconds) is the one recorded in it; otherwise every program that cannot write a new
	@# cache reads all the folder's fonts at each start. Plain fc-cache rebuilds just the stale
	@# caches and costs about 20 ms when none is.
	@fc-cache

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
	$(BENCH)/bench/bench_history
	QT_QPA_PLATFORM=offscreen $(BENCH)/bench/bench_class_overview
	$(BENCH)/bench/bench_history_server
	$(BENCH)/bench/bench_history_name_service
	$(BENCH)/bench/bench_speech_start
	$(BENCH)/bench/startup_probe --program $(BENCH)/kalumbrixtor --bare $(BENCH)/bench/bare_window
	$(BENCH)/bench/startup_probe --program $(BENCH)/kalumbrixtor --bare $(BENCH)/bench/bare_window --wm

# DESTDIR is honoured by cmake --install; PREFIX chooses where below it the files go.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package (build/kalumbrixtor_<version>_<arch>.deb) that installs below /usr.
package: deps build
	cd $(BUILD) && cpack

# Each reader under libFuzzer for FUZZ_SECONDS (not part of test). The corpus grows in
# build-fuzz/corpus/<target>, seeded with files the program writes itself; a finding stops with
# the fuzzer's report, and the input it saved (crash-*, timeout-*) becomes a regression test.
fuzz: deps
	cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	      -DKALU_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) -j $(JOBS) --target $(FUZZ_TARGETS) fuzz_seed_corpus
	$(FUZZ)/fuzz/fuzz_seed_corpus $(FUZZ)/seeds
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ)/corpus/$$t $(FUZZ)/findings/$$t; \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  if ! $(FUZZ)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	        -print_final_stats=1 -artifact_prefix=$(FUZZ)/findings/$$t/ \
	        $(FUZZ)/corpus/$$t $(FUZZ)/seeds/$$t >$(FUZZ)/$$t.log 2>&1; then \
	    tail -n 60 $(FUZZ)/$$t.log; echo "$$t: FINDING, see $(FUZZ)/findings/$$t/"; exit 1; \
	  fi; \
	  echo "$$t: no finding; corpus $$(ls $(FUZZ)/corpus/$$t | wc -l) files," \
	       "$$(du -sk $(FUZZ)/corpus/$$t | cut -f1) KiB;" \
	       "$$(grep -o 'stat::number_of_executed_units: *[0-9]*' $(FUZZ)/$$t.log | grep -o '[0-9]*$$') runs," \
	       "$$(grep -o 'stat::average_exec_per_sec: *[0-9]*' $(FUZZ)/$$t.log | grep -o '[0-9]*$$') exec/s"; \
	done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH) $(FUZZ)
