# make run   installs what is missing, builds and starts the client from build/stage, with
#            the scripted master and game servers on loopback.
# make pictures  takes the pictures in docs/pictures afresh.
# make test  installs what is missing, checks the formatting, builds and runs
#            every test: plain, then with AddressSanitizer and
#            UndefinedBehaviorSanitizer, then the test programs that start
#            threads with ThreadSanitizer, then the libFuzzer targets for a few
#            seconds each. Each test program also runs whole in a shuffled
#            order; the seed is printed, and SHUFFLE_SEED=N repeats it.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
CLANG_FORMAT ?= clang-format-14
ifeq ($(SHUFFLE_SEED),)
SHUFFLE_SEED := $(shell echo $$(( $$(od -An -N4 -tu4 /dev/urandom) % 99999 + 1 )))
endif

.PHONY: all deps build run run-kled test test-plain test-sanitize test-tsan test-fuzz format-check pictures clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

# The client runs from build/stage (its program folder), beside the default theme, with the
# scripted master and game servers on loopback (scripts/run-local).
run:
	@scripts/run-local --check-display
	$(MAKE) build
	cmake --build build --target stage masterserver gameserver
	scripts/run-local build

run-kled: build
	build/src/apps/kled

# The pictures of the client in docs/pictures, which the README shows, taken afresh by the
# tests that otherwise compare them with the client (tests/lobby/ui/pictures_test.cpp).
pictures: build
	cd build && PK_UPDATE_GOLDEN=1 ./tests/lobby_ui_tests --gtest_filter='ReadmePictures.*'

test: deps format-check test-plain test-sanitize test-tsan test-fuzz

# Every tracked C++ file against the checked-in .clang-format.
format-check: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 -P $(JOBS) -n 16 $(CLANG_FORMAT) --dry-run --Werror

test-plain: build
	@echo "Shuffled runs use seed $(SHUFFLE_SEED) (repeat: make test-plain SHUFFLE_SEED=$(SHUFFLE_SEED))"
	cd build && PK_SHUFFLE_SEED=$(SHUFFLE_SEED) ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPK_SANITIZE=ON -DPK_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-san -j $(JOBS)
	@echo "Shuffled runs use seed $(SHUFFLE_SEED) (repeat: make test-sanitize SHUFFLE_SEED=$(SHUFFLE_SEED))"
	cd build-san && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		PK_SHUFFLE_SEED=$(SHUFFLE_SEED) ctest --output-on-failure -j $(JOBS)

# The test programs that start threads (tests/CMakeLists.txt names them), each
# run whole, once, under ThreadSanitizer; tests/tsan.supp lists the reports
# from inside libraries that synchronise out of its sight. Memory calls made
# inside libraries built without it (Qt converts a form's picture on its own
# thread pool) are left out, as the libraries' own accesses already are; races
# in our code, and the thread starts and joins it makes, are still seen.
test-tsan: deps
	CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DPK_TSAN=ON -DPK_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-tsan -j $(JOBS) --target pk_thread_tests
	@echo "Shuffled runs use seed $(SHUFFLE_SEED) (repeat: make test-tsan SHUFFLE_SEED=$(SHUFFLE_SEED))"
	cd build-tsan && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1" \
		PK_SHUFFLE_SEED=$(SHUFFLE_SEED) ctest --output-on-failure -j $(JOBS) -L threads

test-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DPK_FUZZ=ON -DPK_TESTS=OFF -DPK_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	cd build-fuzz && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build build-san build-tsan build-fuzz
