# `make run` and `make test` each install what is missing, configure and build first.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test sanitize fuzz bench package levels-doc clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./kelo

# The sanitizer build: the unit suite and the fuzz targets under AddressSanitizer and
# UndefinedBehaviorSanitizer, built by clang in a folder of its own.
SANITIZE_FLAGS = -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
	-DKELO_SANITIZE=address,undefined -DKELO_FUZZ=ON -DKELO_GUI=OFF -DKELO_BENCH=OFF
FUZZ_SECONDS ?= 20

sanitize: deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) $(SANITIZE_FLAGS) -DKELO_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test: build sanitize
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

# Each fuzz target for ten minutes.
fuzz:
	$(MAKE) sanitize FUZZ_SECONDS=600
	cd $(ASAN_BUILD) && ctest -L fuzz --output-on-failure -j $(JOBS)

# A .deb of the installed layout, in build/.
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	bash bench/run.sh $(BUILD)
	./$(BUILD)/bench/kelo_bench --benchmark_filter=-Stress

# The level set's page, docs/levels.md, and its pictures, from levels.txt and docs/levels-notes.txt.
levels-doc: build
	bash tools/levels-doc.sh $(BUILD)/kelo-levels levels.txt docs/levels-notes.txt docs

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
