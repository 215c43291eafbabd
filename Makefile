# Quick start: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
CTEST_FLAGS ?=

.PHONY: all bootstrap configure build test test-desktop run install package asan tsan bench mutants clean

all: build

bootstrap:
	@scripts/bootstrap.sh

$(BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: bootstrap $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

# The tests that meet an installed desktop, again with one there: a file
# manager on the session bus and the tools the actions installer runs.
test-desktop: build
	@scripts/bootstrap.sh --desktop
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -L '^(e2e|resources)$$' $(CTEST_FLAGS)

run: build
	$(BUILD)/bin/corvex

install: build
	cmake --install $(BUILD)

# $(BUILD)/corvex_<version>_<arch>.deb, for apt-get install ./$(BUILD)/corvex_*.deb
package: build
	cd $(BUILD) && cpack

# Sanitizer builds live in their own folders.
asan:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCORVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

# Qt is not built for TSan: what its own code does is left out, which keeps
# its internals quiet while races in ours are still reported. QProcess
# forks from threaded tests.
tsan:
	TSAN_OPTIONS="ignore_noninstrumented_modules=1 die_after_fork=0 $(TSAN_OPTIONS)" \
	  $(MAKE) test BUILD=build-tsan CMAKE_FLAGS="-DCORVEX_TSAN=ON -DCMAKE_BUILD_TYPE=Debug"

# Faults from tests/mutants/faults.tsv, one at a time in a scratch copy of
# HEAD: which of them does the suite miss? MUTANTS=id... runs some only.
mutants: bootstrap
	scripts/mutants.py $(MUTANTS)

bench: build
	bench/run $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-tsan
