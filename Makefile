# Quillet: the two set-up commands are `make run` and `make test`.
# Each first installs the Debian packages that are missing.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
ifeq ($(CI),true)
CMAKE_FLAGS += -DQUILLET_WERROR=ON
endif

.PHONY: all deps build run test bench asan tsan deb fuzz fuzz-build fuzz-merge clean

all: build

deps:
	@bash tools/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/quillet

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300
	$(MAKE) --no-print-directory fuzz SECONDS=3

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_BENCH=ON -DQUILLET_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	cmake --build build-bench --target run-benchmarks

# Address and undefined-behaviour sanitizers over every test.
asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) --timeout 600

# Thread sanitizer over the core and GUI tests: the search workers and their
# cancel, the grep and squeeze windows, the title and picture threads.
# tests/tsan.supp says what it ignores inside the system's Qt, and why.
# Through ctest each test runs in a process of its own: the sanitizer stops
# checking a process that forked while it ran several threads, as a test
# starting the program with QProcess does.
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_BUILD_GUI=ON -DQUILLET_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	  ctest --output-on-failure -j $(JOBS) --timeout 600 -E '^packaging\.'

# The Debian package, built for /usr: build-deb/quillet_<version>_<arch>.deb.
deb: deps
	cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQUILLET_BUILD_TESTS=OFF
	cmake --build build-deb -j $(JOBS)
	cd build-deb && cpack

# libFuzzer harnesses (fuzz/): each runs SECONDS seconds from the kept corpus,
# new inputs going to build-fuzz/fuzz-scratch; a finding stops with its path.
SECONDS ?= 60
fuzz-build: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DQUILLET_FUZZ=ON -DQUILLET_BUILD_GUI=OFF -DQUILLET_BUILD_TESTS=OFF \
	  -DQUILLET_BUILD_PLUGINS=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_harnesses

fuzz: fuzz-build
	bash fuzz/run-fuzzers.sh build-fuzz $(SECONDS)

# Folds what fuzzing found into the kept corpus, minimized to a few dozen
# small files: the fewest inputs that reach every edge reached (hit counts and
# comparisons left out, which would keep hundreds).
fuzz-merge: fuzz-build
	for h in $$(ls fuzz/corpus); do \
	  rm -rf build-fuzz/merge/$$h && mkdir -p build-fuzz/merge/$$h && build-fuzz/fuzz/fuzz_$$h -set_cover_merge=1 \
	    -use_counters=0 -use_cmp=0 -rss_limit_mb=3072 build-fuzz/merge/$$h \
	    fuzz/corpus/$$h build-fuzz/fuzz-scratch/$$h/new 2>/dev/null && rm -rf fuzz/corpus/$$h && \
	    mv build-fuzz/merge/$$h fuzz/corpus/$$h; \
	done

clean:
	rm -rf $(BUILD) build-bench build-asan build-tsan build-deb build-fuzz
