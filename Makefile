# One entry point for people and CI. Every target installs what is missing, then builds.
JOBS ?= 2
DEMO_DIR ?= build/demo
FUZZ_SECONDS ?= 20

.PHONY: all deps build asan tsan demo test test-default test-asan bench fuzz format clean screenshots package

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default -j$(JOBS)

asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j$(JOBS)

# The main job: the whole road on a simulated deployment.
demo: build
	build/bin/tidora demo --dir $(DEMO_DIR)

test-default: build
	ctest --preset default

test-asan: asan
	ctest --preset asan

test: test-default test-asan

# The core libraries' processing tests under the thread sanitizer (the windows and the serial
# line tests are left out: Qt and the pseudo-terminals are not built for it).
tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j$(JOBS)
	ctest --preset tsan

bench: build
	@for b in build/bin/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2 || exit 1; done

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)
	@mkdir -p build-fuzz/corpus
	@for f in build-fuzz/bin/fuzz_*; do \
	  [ -x "$$f" ] || continue; \
	  n=$$(basename $$f); mkdir -p build-fuzz/corpus/$$n; echo "== $$n"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -max_len=8192 -print_final_stats=0 build-fuzz/corpus/$$n 2>&1 | tail -n 2 || exit 1; \
	done

# The Debian package: build/tidora-for-waves_VERSION_ARCH.deb.
package: build
	cmake --build --preset default --target package

# Pictures of the desktop windows, rendered offscreen.
screenshots: build
	@scripts/screenshots build/screenshots

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz
