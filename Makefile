# Entry points: `make demo` and `make test`; see README.md.
BUILD     ?= build
SAN_BUILD ?= build-san
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS      ?= $(shell nproc)
CMAKE_GEN := -G Ninja

# The independent Fast Infoset implementation `make interop` checks against
# (it installs Java itself when first run).
FI_INTEROP ?= $(CURDIR)/../shared/tools/fi-interop

.PHONY: all deps configure build test demo san bench fuzz interop format clean

all: build

deps:
	@bash tools/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Only the library and the examples: tests and benchmarks wait for `make test`.
demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target korvel_examples
	@bash tools/run-demo.sh $(BUILD)

# The sanitizer build uses clang, so that CI compiles everything with both compilers.
san: deps
	CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKORVEL_SANITIZE=ON \
	  -DKORVEL_BUILD_BENCH=OFF -DKORVEL_BUILD_EXAMPLES=OFF
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_EXAMPLES=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	$(BENCH_BUILD)/bench/korvel_bench $(BENCH_ARGS)

# Runs every fuzz target under libFuzzer (clang) for FUZZ_SECONDS each,
# starting from the checked-in corpus.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKORVEL_LIBFUZZER=ON -DKORVEL_SANITIZE=ON -DKORVEL_BUILD_TESTS=OFF \
	  -DKORVEL_BUILD_BENCH=OFF -DKORVEL_BUILD_EXAMPLES=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for f in $(FUZZ_BUILD)/fuzz/korvel_*_fuzzer; do \
	  name=$$(basename $$f | sed 's/^korvel_//; s/_fuzzer$$//'); \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  echo "== $$name"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD)/corpus/$$name tests/data/fuzz/$$name || exit 1; \
	done

# Round-trips tests/data/fastinfoset/interop both ways through Fast Infoset
# against $(FI_INTEROP); `make test` never needs it.
interop: build
	cmake --build $(BUILD) --target korvel_fi
	sh tools/fi_interop/interop.sh $(BUILD)/tools/fi_interop/korvel_fi $(FI_INTEROP) \
	  tests/data/fastinfoset/interop $(BUILD)/interop

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
