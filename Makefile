# `make` installs what is missing (as root) and builds both launchers into
# dist/x64 and dist/x86; `make test` also builds and runs every test of
# both builds, and a short run of each fuzz target of the parsers (native,
# tests/fuzz). Both wrap the CMake presets, which work on their own too.
ARCHS := x64 x86

.PHONY: all test deps test-deps clean

all: deps
	@set -e; for arch in $(ARCHS); do \
	    cmake --preset $$arch >/dev/null; \
	    cmake --build --preset $$arch --target velmar; \
	    mkdir -p dist/$$arch; \
	    cp build/$$arch/src/*.exe dist/$$arch/; \
	done
	@ls -l dist/*/*.exe

test: test-deps all
	@status=0; tests/fuzz/run.sh || status=1; \
	for arch in $(ARCHS); do \
	    cmake --build --preset $$arch || status=1; \
	    ctest --preset $$arch || status=1; \
	done; exit $$status

deps:
	@scripts/install-deps.sh

test-deps:
	@scripts/install-deps.sh --with-tests

clean:
	rm -rf build dist
