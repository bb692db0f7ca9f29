# The two commands for a fresh machine: `make run` and `make test`.
JOBS ?= 2

.PHONY: setup build run test bench clean

# The packages of the build and its tests only; `scripts/setup.sh all` installs the rest.
setup:
	bash scripts/setup.sh build

build:
	cmake --preset default $(CMAKE_ARGS)
	cmake --build --preset default -j $(JOBS)

run: setup build
	./build/bin/keelvane outline --output arrow.svg --format svg && ./build/bin/keelvane outline

test: setup build
	ctest --preset default -j $(JOBS)

bench: build
	./build/bin/keelvane-bench

# Every preset's tree is build/ or build-NAME/.
clean:
	rm -rf build build-*/ arrow.svg
