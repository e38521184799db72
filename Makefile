# `make` installs what is missing (as root) and builds both launchers into
# dist/x64 and dist/x86, and the example application's folder into
# dist/example/x64 and dist/example/x86, and the branding tool into
# dist/velmar-brand.jar (the same bytes on every rebuild); `make test` also
# builds and runs every test of both builds, and a short run of each fuzz target of the
# parsers (native, tests/fuzz), then checks the release: its README followed
# as written, and a second build of the commit in another folder giving the
# same archive. `make release` packs dist/velmar-<version>.zip and its
# .sha256. All wrap the CMake presets, which work on their own too.
ARCHS := x64 x86

.PHONY: all release test deps test-deps clean

all: deps
	@set -e; for arch in $(ARCHS); do \
	    cmake --preset $$arch >/dev/null; \
	    cmake --build --preset $$arch --target velmar velmarc velmar_notes_example; \
	    mkdir -p dist/$$arch; \
	    cp build/$$arch/src/*.exe dist/$$arch/; \
	    rm -rf dist/example/$$arch; mkdir -p dist/example; \
	    cp -r build/$$arch/examples/notes/dist dist/example/$$arch; \
	done
	@tools/brand/build-jar.sh dist/velmar-brand.jar
	@ls -l dist/*/*.exe dist/example/*/*.exe dist/velmar-brand.jar

release: all
	@scripts/make-release.sh

test: test-deps release
	@status=0; tests/fuzz/run.sh || status=1; \
	for arch in $(ARCHS); do \
	    cmake --build --preset $$arch || status=1; \
	    ctest --preset $$arch || status=1; \
	done; \
	scripts/check-release.sh || status=1; exit $$status

deps:
	@scripts/install-deps.sh

test-deps:
	@scripts/install-deps.sh --with-tests

clean:
	rm -rf build dist
