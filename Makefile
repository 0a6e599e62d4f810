# Every target installs what it needs first, so these work on a fresh Debian 12 machine.
BUILD      ?= build
BENCH_BUILD ?= build-bench
CLIPART_BUILD ?= build-clipart
JOBS       ?= $(shell nproc)
SAMPLE     := data/sample/portrait.jpg

FUZZ_SECONDS ?= 60

.PHONY: deps configure build run test package package-test bench fuzz clipart clean

deps:
	@bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMUGWARP_SANITIZE=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the editor itself, so the first start does not wait for the test suites.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target mugwarp
	./$(BUILD)/src/app/mugwarp $(SAMPLE)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package, from the build tree as it stands (nothing is built twice).
package: build
	cd $(BUILD) && cpack -G DEB

# The package checked as a user would get it: lintian, then its programs run
# from an extraction.
package-test: package
	bash tests/install/package_test.sh $(BUILD) .

bench:
	@bash scripts/install-deps --bench
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DMUGWARP_BUILD_BENCH=ON -DMUGWARP_BUILD_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	cd $(BENCH_BUILD) && bash ../bench/run-all

# Runs every fuzz target for FUZZ_SECONDS (default 60) each, keeping new
# inputs in fuzz/corpus and crashing ones in fuzz/finds.
fuzz: configure
	cmake --build $(BUILD) --target mugwarp_fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run $(BUILD)/fuzz

# Draws data/Clipart again with the generator in tools/clipart (the pictures are
# kept in the repository, so building and testing never need this). A build
# folder of its own keeps the generator out of the everyday build.
clipart: deps
	cmake -S . -B $(CLIPART_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DMUGWARP_BUILD_TESTS=OFF -DMUGWARP_BUILD_CLIPART_TOOL=ON
	cmake --build $(CLIPART_BUILD) -j $(JOBS) --target clipart

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(CLIPART_BUILD)
