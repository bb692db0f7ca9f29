# The two commands for a fresh machine: `make run` and `make test`.
JOBS ?= 2

.PHONY: setup build run test bench package clean

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

# The release packages dist/keelvane-<version>-windows-x64.zip and -macos-arm64.zip, from
# the Windows build (build-mingw/) and the macOS cross build (build-macos-cross/); installs
# what those need first (MinGW-w64, Zig, LLVM, zip: scripts/setup.sh package).
package:
	bash scripts/setup.sh package
	cmake --preset mingw $(CMAKE_ARGS)
	cmake --build --preset mingw --target keelvane_package -j $(JOBS)
	cmake --preset macos-cross $(CMAKE_ARGS)
	cmake --build --preset macos-cross --target keelvane_package -j $(JOBS)

# Every preset's tree is build/ or build-NAME/; the packages are in dist/.
clean:
	rm -rf build build-*/ dist arrow.svg
