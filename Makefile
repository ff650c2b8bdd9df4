# make test: installs what is missing, builds the three presets and runs the
# native tests and the Win32 tests under Wine.
PRESETS := native win64 win32

.PHONY: test build deps clean

test: build
	@status=0; \
	ctest --preset native || status=1; \
	ctest --preset win64 || status=1; \
	exit $$status

build: deps
	@set -e; for p in $(PRESETS); do \
	  echo "== $$p"; \
	  cmake --preset $$p >/dev/null; \
	  cmake --build --preset $$p; \
	done; \
	tools/check-imports build/win64/bin build/win32/bin

deps:
	@tools/install-deps

clean:
	rm -rf build
