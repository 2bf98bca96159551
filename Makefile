# Everything a newcomer needs: `make run` and `make test`.
BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build test bench run clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
		-DVORN_WERROR=ON -DVORN_BUILD_BENCH=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@mkdir -p $(BUILD_DIR)/test-home
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-bench.sh $(BUILD_DIR)

run: build
	@scripts/run.sh $(BUILD_DIR)

clean:
	@rm -rf $(BUILD_DIR) out
