# The kit's three everyday commands. Each one installs what a fresh Debian 12 machine lacks first.

.PHONY: test demo bench fuzz bootstrap clean

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

clean:
	rm -rf build
