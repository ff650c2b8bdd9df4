# make test: installs what is missing, builds the three presets, the release
# and the fuzz targets, and runs the native tests, each fuzz target briefly,
# the crash trials of the catalogue save, the release end to end with its
# 32-bit programs, and the Win32 tests under Wine.
PRESETS := native win64 win32

.PHONY: test build deps clean bench run screenshots release-test

test: build dist fuzz-build build/crash-trials/crash_trials
	@status=0; \
	ctest --preset native || status=1; \
	tools/fuzz-run $(FUZZ_TEST_SECONDS) || status=1; \
	build/crash-trials/crash_trials $(CRASH_TEST_TRIALS) || status=1; \
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
# inputs the fuzzers find stay in build/fuzz for the next run.
FUZZ_SECONDS ?= 120
FUZZ_TEST_SECONDS ?= 15
BEARSSL_DIR ?= /usr/local/src/bearssl
FUZZ_SANITIZE := address,undefined -fno-sanitize-recover=undefined
FUZZ_CXX := clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,$(FUZZ_SANITIZE) -I. -I$(BEARSSL_DIR)/inc
FUZZ_CC := clang -g -O1 -fsanitize=fuzzer-no-link,$(FUZZ_SANITIZE) -I. -I$(BEARSSL_DIR)/inc
FUZZ_TARGETS := $(addprefix build/fuzz/,profile_fuzz catalogue_fuzz profile_file_fuzz lookup_fuzz musicbrainz_fuzz \
  tls_fuzz)
FUZZ_HEADERS := $(wildcard common/profile/*.h player/catalogue/*.h player/device/*.h player/controls/*.h \
  player/lookup/*.h player/tls/*.h)
.PHONY: fuzz fuzz-build crash-trials

build/fuzz/profile_fuzz: fuzz/profile_fuzz.cpp common/profile/profile.cpp
build/fuzz/catalogue_fuzz: fuzz/catalogue_fuzz.cpp player/catalogue/catalogue_core.cpp \
  player/catalogue/cdplayer_import.cpp player/device/cd_core.cpp common/profile/profile.cpp
build/fuzz/profile_file_fuzz: fuzz/profile_file_fuzz.cpp common/profile/profile.cpp \
  common/profile/profile_file.cpp common/profile/profile_file_posix.cpp
build/fuzz/lookup_fuzz: fuzz/lookup_fuzz.cpp player/lookup/cddb.cpp player/lookup/http_answer.cpp \
  player/lookup/utf8_text.cpp player/lookup/lookup_settings.cpp common/profile/profile.cpp
build/fuzz/musicbrainz_fuzz: fuzz/musicbrainz_fuzz.cpp player/lookup/musicbrainz_core.cpp \
  player/lookup/json_reader.cpp player/lookup/http_answer.cpp player/lookup/utf8_text.cpp \
  player/lookup/lookup_settings.cpp common/profile/profile.cpp build/fuzz/libbearssl.a
build/fuzz/tls_fuzz: fuzz/tls_fuzz.cpp player/tls/tls_core.cpp build/fuzz/tls_roots.o build/fuzz/libbearssl.a
$(FUZZ_TARGETS): $(FUZZ_HEADERS) | deps
	@mkdir -p build/fuzz
	$(FUZZ_CXX) $(filter %.cpp %.o %.a,$^) -o $@

# BearSSL as player/tls/bearssl.txt says, and a compiled-in root, for the targets above.
build/fuzz/libbearssl.a: player/tls/bearssl.txt | deps
	@rm -rf build/fuzz/bearssl && mkdir -p build/fuzz/bearssl
	cd build/fuzz/bearssl && $(FUZZ_CC) -I$(BEARSSL_DIR)/src $(shell grep '^-D' player/tls/bearssl.txt) \
	  -c $(addprefix $(BEARSSL_DIR)/src/,$(shell grep '^[a-z]' player/tls/bearssl.txt))
	ar rcs $@ build/fuzz/bearssl/*.o
build/fuzz/tls_roots.o: tools/make-roots player/tls/tls_roots.h | deps
	@mkdir -p build/fuzz
	python3 tools/make-roots build/fuzz/tls_roots.c /usr/share/ca-certificates/mozilla/ISRG_Root_X1.crt
	$(FUZZ_CC) -c build/fuzz/tls_roots.c -o $@

fuzz-build: $(FUZZ_TARGETS)

fuzz: fuzz-build
	@tools/fuzz-run $(FUZZ_SECONDS)

# The catalogue and settings code, and the real player under Wine, on
# hostile files (50 MB, 200,000 sections, a line of 1 MB, NUL bytes, invalid
# UTF-8, every key repeated, numbers out of range): a table of figures.
.PHONY: hostile
hostile: build
	@mkdir -p build/hostile
	g++ -std=c++17 -O2 -Wall -Wextra -Werror -I. bench/hostile_native.cpp bench/hostile_files.cpp \
	  player/catalogue/catalogue_core.cpp player/device/cd_core.cpp player/shell/settings_core.cpp \
	  common/profile/profile.cpp -o build/hostile/hostile_native
	build/hostile/hostile_native
	tools/wine-run --build-dir build/win64 build/win64/bin/hostile_player.exe

# Crash trials of the catalogue save: writers killed at random moments, on
# both ways of replacing the file. `make test` runs CRASH_TEST_TRIALS kills
# per way; `make crash-trials` runs the full thousand.
CRASH_TEST_TRIALS ?= 100
build/crash-trials/crash_trials: bench/crash_trials.cpp common/profile/profile.cpp \
  common/profile/profile_file.cpp common/profile/profile_file_posix.cpp $(wildcard common/profile/*.h) | deps
	@mkdir -p build/crash-trials
	g++ -std=c++17 -O2 -Wall -Wextra -Werror -I. $(filter %.cpp,$^) -o $@

crash-trials: build/crash-trials/crash_trials
	build/crash-trials/crash_trials

# The release for Windows users: the 32-bit player and Setup with the LED
# font, as an installation disk, in build/dist/kovel32-<version> and its zip
# (the version: common/version.h).
.PHONY: dist
dist: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 --target kovel32 setup_program kovel_led_font
	@tools/check-imports build/win32/bin
	@install/dist/make-dist build/win32/bin build/dist
