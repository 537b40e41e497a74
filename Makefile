# make run   installs what is missing, builds and starts the client.
# make test  installs what is missing, builds and runs every test: plain, then
#            with AddressSanitizer and UndefinedBehaviorSanitizer, then the
#            libFuzzer targets for a few seconds each.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run run-kled test test-plain test-sanitize test-fuzz clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

run: build
	build/src/apps/pelkorin

run-kled: build
	build/src/apps/kled

test: deps test-plain test-sanitize test-fuzz

test-plain: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPK_SANITIZE=ON -DPK_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-san -j $(JOBS)
	cd build-san && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

test-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DPK_FUZZ=ON -DPK_TESTS=OFF -DPK_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	cd build-fuzz && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build build-san build-fuzz
