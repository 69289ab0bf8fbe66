# The two set-up commands: `make demo` and `make test`. Everything builds with CMake.
JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
BENCHDIR  ?= build-bench
CMAKEFLAGS ?=

.PHONY: all build demo test test-plain test-sanitize bench fuzz format format-check install clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKEFLAGS)
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	bash tools/demo.sh $(BUILD)/bin

# The suite as built, then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test: test-plain test-sanitize

test-plain: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-sanitize:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=ON $(CMAKEFLAGS)
	cmake --build $(ASAN) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --test-dir $(ASAN) --output-on-failure -j$(JOBS)

bench:
	cmake -S . -B $(BENCHDIR) -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_TESTS=OFF -DVX_BUILD_BENCH=ON
	cmake --build $(BENCHDIR) -j$(JOBS)
	@for b in $(BENCHDIR)/bin/bench_*; do echo "== $$b"; $$b || true; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

install: build
	cmake --install $(BUILD) --prefix $(or $(PREFIX),/usr/local)

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCHDIR)
