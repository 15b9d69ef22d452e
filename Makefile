# make demo  - build ZUNT and run it on the sample board in examples/
# make test  - build ZUNT and run every test
# make package - build the Debian package build-pkg/zunt_<version>_<arch>.deb
# make windows - cross-compile zunt.exe and pack build-win/zunt-<version>-win64.zip
# make fuzz  - build the libFuzzer targets with clang and run each FUZZ_SECONDS (20) seconds
# make scenarios - rerun every end-to-end scenario and rewrite its expected
#              files (SCENARIO=<name> for one); review with git diff
# make mutate - plant MUTANTS (20) small faults in src/ one by one and count
#              those the tests catch (MUTATE_SEED=1)
# make bench - build a Release ZUNT with the benchmarks and run B1-B4 (slow;
#              BENCH_SCALE=0.1 for a quick run)
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test demo deps clean windows package fuzz bench scenarios mutate

all: build

deps:
	@./scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

SCENARIO ?=
scenarios: build
	ZUNT_UPDATE_SCENARIOS=1 $(BUILD)/zunt_tests --gtest_filter='*ScenarioE2E.Runs/$(SCENARIO)*'
	git status --short tests/scenarios

MUTATE_TOOL ?= ../shared/tools/mutate.py
MUTANTS ?= 20
MUTATE_SEED ?= 1
mutate:
	python3 $(MUTATE_TOOL) . --count $(MUTANTS) --seed $(MUTATE_SEED) --jobs $(JOBS) \
		--workdir /tmp/zunt-mutate-$(notdir $(CURDIR))

demo: build
	./examples/run-demo.sh $(BUILD)/zunt

# zunt.exe, cross-compiled with Debian's mingw-w64.
windows:
	@./scripts/deps.sh g++-mingw-w64-x86-64-posix
	cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DZUNT_TESTS=OFF -DZUNT_WERROR=ON -DCMAKE_BUILD_TYPE=Release
	cmake --build build-win -j$(JOBS)
	cd build-win && cpack
	@ls -l build-win/zunt.exe build-win/zunt-*.zip

# The Debian package of zunt, its man page and the examples, made with CPack.
package:
	@./scripts/deps.sh dpkg-dev
	cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DZUNT_TESTS=OFF
	cmake --build build-pkg -j$(JOBS)
	cd build-pkg && cpack
	@ls -l build-pkg/zunt_*.deb

BENCH_SCALE ?= 1
BENCH_RUNS ?= 3
bench:
	@./scripts/deps.sh libbenchmark-dev time
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZUNT_TESTS=OFF -DZUNT_BENCH=ON
	cmake --build build-bench -j$(JOBS) --target zunt gen_board floor_copy b2_update
	ZUNT_BENCH_BUILD=$(CURDIR)/build-bench ./bench/run.sh $(BENCH_SCALE) $(BENCH_RUNS)

FUZZ_SECONDS ?= 20
fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) ./scripts/fuzz.sh build-fuzz

clean:
	rm -rf $(BUILD) build-asan build-win build-pkg build-bench build-fuzz demo

# make install - install zunt, its man page and the examples (PREFIX=/usr/local,
# DESTDIR for staging): the same files the package holds.
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)
.PHONY: install
