# The two set-up commands: `make demo` and `make test`. Everything builds with CMake.
JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
BENCHDIR  ?= build-bench
CMAKEFLAGS ?=

.PHONY: all build demo test test-plain test-sanitize bench fuzz format format-check install package clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKEFLAGS)
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	bash tools/demo.sh $(BUILD)/bin

# A Debian package of the libraries, headers, vxcfg and its manual page, in $(BUILD).
package: build
	cd $(BUILD) && cpack -G DEB

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

# libFuzzer harnesses of the configuration readers and the web server editors, built by CMake
# with clang in $(FUZZDIR); each runs for FUZZTIME seconds on its corpus. Not part of `make test`.
FUZZDIR   ?= build-fuzz
FUZZTIME  ?= 60
FUZZERS   := parmfile isblock datafile objconf httpdconf

fuzz:
	cmake -S . -B $(FUZZDIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	    -DCMAKE_CXX_COMPILER=clang++ -DVX_BUILD_TESTS=OFF -DVX_BUILD_FUZZ=ON
	cmake --build $(FUZZDIR) -j$(JOBS) $(addprefix --target fuzz_,$(FUZZERS))
	@for f in $(FUZZERS); do \
	    echo "== fuzz_$$f ($(FUZZTIME) s)"; mkdir -p $(FUZZDIR)/corpus/$$f; \
	    $(FUZZDIR)/bin/fuzz_$$f -max_total_time=$(FUZZTIME) -max_len=8192 \
	        -artifact_prefix=$(FUZZDIR)/crash-$$f- $(FUZZDIR)/corpus/$$f fuzz/seeds/$$f \
	        || exit 1; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

install: build
	cmake --install $(BUILD) --prefix $(or $(PREFIX),/usr/local)

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCHDIR)
