# make test: installs what is missing, builds the three presets, the release,
# the fuzz targets (the fuzz preset) and the crash trials (the bench preset),
# and runs the native tests, each fuzz target briefly,
# the crash trials of the catalogue save, the release end to end with its
# 32-bit programs, and the Win32 tests under Wine.
PRESETS := native win64 win32

.PHONY: test build deps clean bench run screenshots release-test

test: build dist fuzz-build crash-trials-build
	@status=0; \
	ctest --preset native || status=1; \
	tools/fuzz-run $(FUZZ_TEST_SECONDS) || status=1; \
	$(CRASH_TRIALS) $(CRASH_TEST_TRIALS) || status=1; \
	tools/release-test || status=1; \
	ctest --preset win64 || status=1; \
	exit $$status

# The release disk end to end with its 32-bit programs (tools/release-test).
# It needs both builds and the disk, so it runs here rather than under ctest.
release-test: build dist
	@tools/release-test

build: deps
	@set -e; for p in $(PRESETS); do \
	  echo "== $$p"; \
	  cmake --preset $$p >/dev/null; \
	  cmake --build --preset $$p; \
	done; \
	tools/check-imports build/win64/bin build/win32/bin

# The player on the virtual drive's demo disc (see tools/run-player).
run: deps
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 --target kovel32 vcdaudio kovel_led_font run_demo
	@tools/run-player

# The pictures in docs/, taken under Xvfb.
screenshots: deps
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 --target screenshots vcdaudio kovel_led_font
	@mkdir -p build/shots docs
	@python3 tests/cddb/cddb_server.py start build/shots/cddb
	@python3 tests/musicbrainz/musicbrainz_server.py start build/shots/musicbrainz
	env -u DISPLAY tools/wine-run --build-dir build/win64 build/win64/bin/screenshots.exe \
	  "Z:$$(pwd | tr / '\\')\\build\\shots" $$(cat build/shots/cddb/port) \
	  $$(sed -n 's/^rsa //p' build/shots/musicbrainz/ports) "Z:$$(pwd | tr / '\\')\\build\\shots\\musicbrainz\\roots.pem"; \
	  status=$$?; python3 tests/cddb/cddb_server.py stop build/shots/cddb; \
	  python3 tests/musicbrainz/musicbrainz_server.py stop build/shots/musicbrainz; exit $$status
	@for f in build/shots/*.bmp; do python3 tools/bmp2png.py $$f docs/$$(basename $$f .bmp).png; done
	@ls docs/*.png

deps:
	@tools/install-deps

clean:
	rm -rf build

# Figures are measured here, never asserted in tests.
bench: build
	tools/wine-run --build-dir build/win64 build/win64/bin/catalogue_bench.exe

# Fuzzing of the profile engine, the file encodings, the catalogue load, the
# answers of the CD database and of MusicBrainz, and what the TLS client
# takes from outside. `make test` runs each target briefly over
# its committed corpus; `make fuzz` runs them longer (FUZZ_SECONDS each). New
# inputs the fuzzers find stay in build/fuzz for the next run. The targets
# and the libraries they link are built by the fuzz preset (fuzz/CMakeLists.txt).
FUZZ_SECONDS ?= 120
FUZZ_TEST_SECONDS ?= 15
.PHONY: fuzz fuzz-build crash-trials crash-trials-build hostile

fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

fuzz: fuzz-build
	@tools/fuzz-run $(FUZZ_SECONDS)

# The catalogue and settings code, and the real player under Wine, on
# hostile files (50 MB, 200,000 sections, a line of 1 MB, NUL bytes, invalid
# UTF-8, every key repeated, numbers out of range): a table of figures, from
# the bench preset's optimised build without sanitizers.
hostile: build
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench --target hostile_native
	build/bench/bench/hostile_native
	tools/wine-run --build-dir build/win64 build/win64/bin/hostile_player.exe

# Crash trials of the catalogue save: writers killed at random moments, on
# both ways of replacing the file. `make test` runs CRASH_TEST_TRIALS kills
# per way; `make crash-trials` runs the full thousand. Built by the bench
# preset: under the sanitizers each trial forks slowly and fewer kills land
# while the file is being written.
CRASH_TEST_TRIALS ?= 100
CRASH_TRIALS := build/bench/bench/crash_trials

crash-trials-build: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench --target crash_trials

crash-trials: crash-trials-build
	$(CRASH_TRIALS)

# The release for Windows users: the 32-bit player and Setup with the LED
# font, as an installation disk, in build/dist/kovel32-<version> and its zip
# (the version: common/version.h).
.PHONY: dist
dist: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 --target kovel32 setup_program kovel_led_font
	@tools/check-imports build/win32/bin
	@install/dist/make-dist build/win32/bin build/dist
