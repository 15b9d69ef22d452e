# make demo  - build ZUNT and run it on the sample board in examples/
# make test  - build ZUNT and run every test
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test demo deps clean

all: build

deps:
	@./scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

demo: build
	./examples/run-demo.sh $(BUILD)/zunt

clean:
	rm -rf $(BUILD) build-asan demo
