# make test: installs what is missing, builds the three presets and the
# release, and runs the native tests, the release end to end with its 32-bit
# programs, and the Win32 tests under Wine.
PRESETS := native win64 win32

.PHONY: test build deps clean bench run screenshots release-test

test: build dist
	@status=0; \
	ctest --preset native || status=1; \
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
	env -u DISPLAY tools/wine-run --build-dir build/win64 build/win64/bin/screenshots.exe \
	  "Z:$$(pwd | tr / '\\')\\build\\shots" $$(cat build/shots/cddb/port); \
	  status=$$?; python3 tests/cddb/cddb_server.py stop build/shots/cddb; exit $$status
	@for f in build/shots/*.bmp; do python3 tools/bmp2png.py $$f docs/$$(basename $$f .bmp).png; done
	@ls docs/*.png

deps:
	@tools/install-deps

clean:
	rm -rf build

# Figures are measured here, never asserted in tests.
bench: build
	tools/wine-run --build-dir build/win64 build/win64/bin/catalogue_bench.exe

# Fuzzing of the profile engine, the catalogue load and the answers of the
# CD database, and crash trials of
# the catalogue save: run by hand, never by `make test`. FUZZ_SECONDS bounds
# each fuzzing run; new inputs the fuzzers find stay in build/fuzz for the
# next run.
FUZZ_SECONDS ?= 120
.PHONY: fuzz crash-trials

fuzz:
	@for p in clang libclang-rt-dev; do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi
	@mkdir -p build/fuzz/profile build/fuzz/catalogue build/fuzz/file build/fuzz/lookup
	clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
	  -I. fuzz/profile_fuzz.cpp common/profile/profile.cpp -o build/fuzz/profile_fuzz
	clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
	  -I. fuzz/catalogue_fuzz.cpp player/catalogue/catalogue_core.cpp \
	  player/catalogue/cdplayer_import.cpp common/profile/profile.cpp -o build/fuzz/catalogue_fuzz
	clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
	  -I. fuzz/profile_file_fuzz.cpp common/profile/profile.cpp common/profile/profile_file.cpp \
	  common/profile/profile_file_posix.cpp -o build/fuzz/profile_file_fuzz
	clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
	  -I. fuzz/lookup_fuzz.cpp player/lookup/lookup_core.cpp common/profile/profile.cpp -o build/fuzz/lookup_fuzz
	build/fuzz/profile_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
	  -artifact_prefix=build/fuzz/ build/fuzz/profile fuzz/corpus
	build/fuzz/catalogue_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
	  -artifact_prefix=build/fuzz/ build/fuzz/catalogue fuzz/catalogue-corpus
	build/fuzz/profile_file_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 \
	  -artifact_prefix=build/fuzz/ build/fuzz/file fuzz/file-corpus
	build/fuzz/lookup_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=8192 -print_final_stats=1 \
	  -artifact_prefix=build/fuzz/ build/fuzz/lookup fuzz/lookup-corpus

# The catalogue and settings code, and the real player under Wine, on
# hostile files (50 MB, 200,000 sections, a line of 1 MB, NUL bytes, invalid
# UTF-8, every key repeated, numbers out of range): a table of figures.
.PHONY: hostile
hostile: build
	@mkdir -p build/hostile
	g++ -std=c++17 -O2 -Wall -Wextra -Werror -I. bench/hostile_native.cpp bench/hostile_files.cpp \
	  player/catalogue/catalogue_core.cpp player/shell/settings_core.cpp common/profile/profile.cpp \
	  -o build/hostile/hostile_native
	build/hostile/hostile_native
	tools/wine-run --build-dir build/win64 build/win64/bin/hostile_player.exe

crash-trials:
	@mkdir -p build/crash-trials
	g++ -std=c++17 -O2 -Wall -Wextra -Werror -I. bench/crash_trials.cpp \
	  common/profile/profile.cpp common/profile/profile_file.cpp common/profile/profile_file_posix.cpp \
	  -o build/crash-trials/crash_trials
	build/crash-trials/crash_trials

# The release for Windows users: the 32-bit player and Setup with the LED
# font, as an installation disk, in build/dist/kovel32-1.0 and its zip.
.PHONY: dist
dist: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 --target kovel32 setup_program kovel_led_font
	@tools/check-imports build/win32/bin
	@install/dist/make-dist build/win32/bin build/dist
