# Quillet: the two set-up commands are `make run` and `make test`.
# Each first installs the Debian packages that are missing.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
ifeq ($(CI),true)
CMAKE_FLAGS += -DQUILLET_WERROR=ON
endif

.PHONY: all deps build run test bench asan tsan deb clean

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

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLET_BUILD_BENCH=ON -DQUILLET_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	cmake --build build-bench --target run-benchmarks

# Address and undefined-behaviour sanitizers over every test.
asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) --timeout 600

# Thread sanitizer over the core tests (the search workers and their cancel).
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_BUILD_GUI=OFF -DQUILLET_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS) --target quillet_core_tests
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) --timeout 600

# The Debian package, built for /usr: build-deb/quillet_<version>_<arch>.deb.
deb: deps
	cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQUILLET_BUILD_TESTS=OFF
	cmake --build build-deb -j $(JOBS)
	cd build-deb && cpack

clean:
	rm -rf $(BUILD) build-bench build-asan build-tsan build-deb
