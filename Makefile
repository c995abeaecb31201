# The front door: `make run` and `make test` install what is missing from Debian's
# packages, configure, build, and run the tool or the tests.

BUILD_PACKAGES := g++ cmake ninja-build pkg-config libsdl2-dev libfreetype-dev libfontconfig-dev libstb-dev zlib1g-dev \
                  fonts-dejavu-core
# The tests start Xvfb, xdotool, xwininfo and xprop (x11-utils), xwd (x11-apps) and convert
# (imagemagick): every program a test runs is installed here.
TEST_PACKAGES  := $(BUILD_PACKAGES) libgtest-dev libgmock-dev fonts-dejavu-extra xvfb xauth xdotool \
                  x11-utils x11-apps imagemagick
BENCH_PACKAGES := $(BUILD_PACKAGES) libbenchmark-dev libpixman-1-dev libsdl2-ttf-dev python3-pil \
                  fonts-noto-core fonts-liberation2 fonts-freefont-ttf
CLANG_PACKAGES := $(TEST_PACKAGES) clang
CROSS_PACKAGES := $(BUILD_PACKAGES) g++-aarch64-linux-gnu
FUZZ_PACKAGES  := $(BUILD_PACKAGES) clang libclang-rt-14-dev
# The Windows program's cross compiler, and Wine to run it on. Wine comes without its
# recommendations: they bring fonts of their own (the tests see only DejaVu) and a
# desktop's worth of libraries the tests do not use.
WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
# The Debian packages: CPack finds the programs' dependencies with dpkg-shlibdeps (dpkg-dev),
# telling programs from other files with `file`; help2man makes the man pages, lintian and
# desktop-file-validate check the result.
PACKAGE_PACKAGES := $(BUILD_PACKAGES) dpkg-dev file help2man lintian desktop-file-utils
WINE_PACKAGES    := wine64

# Installs the named packages that are not installed yet (as root), or says how to; a
# second argument adds options to apt-get install.
define ensure_packages
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "Installing:" $$missing; \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $(2) $$missing >/dev/null; \
	    else \
	        echo "Missing packages; install them with:"; \
	        echo "  sudo apt-get install" $$missing; \
	        exit 1; \
	    fi; \
	fi
endef

.PHONY: all run check demo test test-default test-asan test-clang test-aarch64 windows bench fuzz deps-build \
        deps-test deps-bench deps-fuzz deps-windows package package-windows clean

all: deps-build
	cmake --preset default >/dev/null
	cmake --build --preset default

deps-build:
	$(call ensure_packages,$(BUILD_PACKAGES))

deps-test:
	$(call ensure_packages,$(TEST_PACKAGES))

deps-bench:
	$(call ensure_packages,$(BENCH_PACKAGES))

deps-fuzz:
	$(call ensure_packages,$(FUZZ_PACKAGES))

deps-windows:
	$(call ensure_packages,$(WINDOWS_PACKAGES))
	$(call ensure_packages,$(WINE_PACKAGES),--no-install-recommends)

run: deps-build
	cmake --preset release -DVANTOR_BENCH=OFF >/dev/null
	cmake --build --preset release --target fontsheet vantor_demo
	@sh scripts/run-fontsheet.sh build/release/fontsheet

# The framework demo, full screen; DEMO_ARGS=-window shows it in a window.
demo: deps-build
	cmake --preset release -DVANTOR_BENCH=OFF >/dev/null
	cmake --build --preset release --target vantor_demo
	build/release/vantor_demo $(DEMO_ARGS)

# The edit-test loop: the quick tests only (no X server, no program runs).
check: deps-test
	cmake --preset default >/dev/null
	cmake --build --preset default
	ctest --preset default -L quick

test: test-default test-asan test-clang test-aarch64

# The real-platform test's figures are printed after the tests, passed or not.
test-default: deps-test deps-windows
	cmake --preset default >/dev/null
	cmake --build --preset default
	ctest --preset default; status=$$?; cat build/default/real_platform_report.txt 2>/dev/null; exit $$status

test-asan: deps-test deps-windows
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

# The tree built by clang, with the kernel tests run (through both builds of the kernels).
test-clang:
	$(call ensure_packages,$(CLANG_PACKAGES))
	cmake --preset clang >/dev/null
	cmake --build --preset clang
	ctest --preset clang

# The libraries cross-built for 64-bit ARM: no x86 intrinsics, no GCC vector extensions.
test-aarch64:
	$(call ensure_packages,$(CROSS_PACKAGES))
	cmake --preset aarch64 >/dev/null
	cmake --build --preset aarch64

# fontsheet.exe for Windows, cross-compiled from the system's sources alone.
windows: deps-windows
	cmake --preset windows >/dev/null
	cmake --build --preset windows

# The Debian packages, vantor and libvantor-dev, into build/package/packages; lintian's
# errors fail it, its warnings are shown.
package:
	$(call ensure_packages,$(PACKAGE_PACKAGES))
	cmake --preset package >/dev/null
	cmake --build --preset package && cmake --build --preset package --target package_files
	rm -rf build/package/packages
	cd build/package && cpack
	desktop-file-validate packaging/*.desktop
	lintian --fail-on error build/package/packages/*.deb

# The zip for Windows, build/windows/packages/vantor-<version>-windows-x86_64.zip, each
# program in it holding the compiler's runtime.
package-windows: deps-windows
	cmake --preset windows >/dev/null
	cmake --build --preset windows
	cmake -DOBJDUMP=x86_64-w64-mingw32-objdump "-DPROGRAMS=build/windows/fontsheet.exe|build/windows/vantor_demo.exe" \
	    -P cmake/check_windows_imports.cmake
	rm -rf build/windows/packages
	cd build/windows && cpack

# Each benchmark runs three times and its median is reported: the machine may be shared.
# The repetitions of a program's benchmarks are run in a random order, so that ours and its
# peers meet the machine's drifting speed alike instead of one after the other.
BENCH_ARGS ?= --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
              --benchmark_enable_random_interleaving=true

bench: deps-bench
	cmake --preset release >/dev/null
	cmake --build --preset release
	@sh bench/run.sh build/release $(BENCH_ARGS)

# Each fuzz target runs for FUZZ_SECONDS; any finding fails the run (see fuzz/run.sh).
FUZZ_SECONDS ?= 300
FUZZ_TARGETS := ddraw_calls gdi_text font_files settings cache_files

fuzz: deps-fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@sh fuzz/run.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf build
