# The kit's three everyday commands. Each one installs what a fresh Debian 12 machine lacks first.

.PHONY: test demo bench fuzz package screenshots bootstrap clean

# Compiler cache keys relative to the checkout, so a fresh clone in any folder
# reuses what an earlier build of the same sources compiled.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

# Seconds each fuzz target runs under `make fuzz`.
FUZZ_SECONDS ?= 60

bootstrap:
	@scripts/bootstrap

test: bootstrap
	cmake --preset test
	cmake --build --preset test
	ctest --preset test

demo: bootstrap
	cmake --preset release
	cmake --build --preset release
	scripts/demo build/release/bin

bench: bootstrap
	cmake --preset release
	cmake --build --preset release
	scripts/run-benchmarks build/release/bin

fuzz: bootstrap
	@scripts/bootstrap-fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh

# The Debian package from the optimised tree, then checked: its fields, its
# files, and every program run from an unpacked copy.
package: bootstrap
	cmake --preset release
	cmake --build --preset release
	rm -f build/release/package/lumora-kit_*.deb
	cd build/release && cpack
	/usr/bin/python3 tests/packaging/check_packaging.py deb --source . \
	    --version "$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)" \
	    --deb 'build/release/package/lumora-kit_*.deb'
	@echo "Install with: sudo apt install ./$$(ls build/release/package/lumora-kit_*.deb)"

# The manual's pictures (docs/screenshots), made under a virtual X server.
screenshots: bootstrap
	cmake --preset release
	cmake --build --preset release
	scripts/docs-screenshots build/release/bin

clean:
	rm -rf build
