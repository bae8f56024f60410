# The kit's three everyday commands. Each one installs what a fresh Debian 12 machine lacks first.

.PHONY: test demo bench bootstrap clean

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

clean:
	rm -rf build
