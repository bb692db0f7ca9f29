# The two commands for a fresh machine: `make run` and `make test`.
JOBS ?= 2

.PHONY: setup build run test bench clean

setup:
	bash scripts/setup.sh

build:
	cmake --preset default $(CMAKE_ARGS)
	cmake --build --preset default -j $(JOBS)

run: setup build
	./build/bin/keelvane outline --output arrow.svg --format svg && ./build/bin/keelvane outline

test: setup build
	ctest --preset default -j $(JOBS)

bench: build
	./build/bin/keelvane-bench

clean:
	rm -rf build build-asan
