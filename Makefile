# `make run` and `make test` each install what is missing, configure and build first.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

# Our own builds treat warnings as errors; a packager's build (plain cmake) does not. build/ is
# built with Debian's flags and all its hardening when dpkg-buildflags is there, so that
# `make package` gives the packages that Debian would build.
DEB_FLAGS = $(shell command -v dpkg-buildflags >/dev/null && export DEB_BUILD_MAINT_OPTIONS=hardening=+all && \
	echo CXXFLAGS=\"$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)\" \
	     LDFLAGS=\"$$(dpkg-buildflags --get LDFLAGS)\")

.PHONY: all deps configure build run test sanitize fuzz bench mutate package levels-doc levels-standard clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	$(DEB_FLAGS) cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELO_WERROR=ON -DBUILD_TESTING=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./kelo

# The sanitizer build: the unit suite and the fuzz targets under AddressSanitizer and
# UndefinedBehaviorSanitizer, built by clang in a folder of its own.
SANITIZE_FLAGS = -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DKELO_WERROR=ON \
	-DKELO_SANITIZE=address,undefined -DKELO_FUZZ=ON -DKELO_GUI=OFF -DKELO_BENCH=OFF
FUZZ_SECONDS ?= 20
FUZZ_RUNS ?= 0

sanitize: deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) $(SANITIZE_FLAGS) -DKELO_FUZZ_SECONDS=$(FUZZ_SECONDS) \
		-DKELO_FUZZ_RUNS=$(FUZZ_RUNS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test: build sanitize
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

# Ten million inputs each for the loader and the number reader (under half an hour), ten
# minutes for the level tool.
fuzz:
	$(MAKE) sanitize FUZZ_SECONDS=600 FUZZ_RUNS=10000000
	cd $(ASAN_BUILD) && ctest -L fuzz --output-on-failure -j $(JOBS)

# Seeded single-line faults in the rules, the commands and the level reader, each built in
# build-mutate/ and run against the unit suite: the share caught, and the faults that survive.
MUTATE_N ?= 60
MUTATE_SEED ?= 12

mutate: deps
	python3 scripts/mutate.py --count $(MUTATE_N) --seed $(MUTATE_SEED) --jobs $(JOBS)

# A .deb of the installed layout, in build/.
package: build
	cd $(BUILD) && cpack -G DEB

# The benchmarks are built only when asked for.
bench: configure
	cmake -S . -B $(BUILD) -DKELO_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	bash bench/run.sh $(BUILD)
	./$(BUILD)/bench/kelo_bench --benchmark_filter=-Stress

# The level set's page, docs/levels.md, and its pictures, from levels.txt and docs/levels-notes.txt.
# The level set against its standard: each rule, its value, PASS or FAIL.
levels-standard: build
	./$(BUILD)/kelo-levels analyse levels.txt --standard

levels-doc: build
	bash scripts/levels-doc.sh $(BUILD)/kelo-levels levels.txt docs/levels-notes.txt docs

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-mutate
