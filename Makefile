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

# libFuzzer harnesses of the configuration readers and the web server editors (clang): the
# library and the sandbox builder are built instrumented in $(FUZZDIR), each harness runs for
# FUZZTIME seconds on its corpus. Not part of `make test`.
FUZZDIR   ?= build-fuzz
FUZZTIME  ?= 60
FUZZERS   := parmfile isblock datafile objconf httpdconf
FUZZSAN   := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

fuzz:
	cmake -S . -B $(FUZZDIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	    -DCMAKE_CXX_COMPILER=clang++ -DVX_WERROR=OFF -DVX_BUILD_TESTS=OFF \
	    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $(FUZZSAN)" \
	    -DCMAKE_SHARED_LINKER_FLAGS="$(FUZZSAN)"
	cmake --build $(FUZZDIR) -j$(JOBS) --target vxconfig vxsandbox
	@for f in $(FUZZERS); do \
	    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer $(FUZZSAN) -Iinclude -Itools/sandbox \
	        fuzz/$${f}_fuzz.cpp -o $(FUZZDIR)/fuzz_$$f -L$(FUZZDIR)/lib -lvxsandbox -lvxconfig -lcrypt \
	        -Wl,-rpath,$(CURDIR)/$(FUZZDIR)/lib || exit 1; \
	done
	@for f in $(FUZZERS); do \
	    echo "== fuzz_$$f ($(FUZZTIME) s)"; mkdir -p $(FUZZDIR)/corpus/$$f; \
	    $(FUZZDIR)/fuzz_$$f -max_total_time=$(FUZZTIME) -max_len=8192 \
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
