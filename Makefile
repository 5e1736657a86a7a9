# Set-up, build and tests on a Debian 12 machine. Run as root, or as a user
# who may use sudo: `make deps` installs only the packages that are missing.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)

# Compiler and build tools, Qt 6 (Core, Gui, Widgets, SerialPort,
# PrintSupport, Test; Svg for File > Export Graph as SVG), the fonts the
# graphs are drawn with and pdftoppm, with which the print tests read their
# PDF pages.
DEB_PACKAGES := cmake g++ make ninja-build qt6-base-dev qt6-serialport-dev qt6-svg-dev \
                fonts-liberation fonts-dejavu-core poppler-utils

# make package also needs dpkg-shlibdeps, which reads the package's library
# dependencies from the programs.
PACKAGE_DEB_PACKAGES := dpkg-dev

# The fuzz targets are built with Debian's clang and its libFuzzer runtime.
FUZZ_DEB_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60

# Zentak for Windows x86_64, cross-built with MinGW-w64 against a Qt built for
# it (see windows/qt-mingw-prefix.sh for ZENTAK_QT_MINGW) and tested under Wine.
WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_CMAKE_ARGS ?=
WINDOWS_DEB_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools
WINDOWS_TEST_DEB_PACKAGES := wine wine64

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps package-deps fuzz-deps build run test test-sanitize fuzz package package-test clean \
        windows-deps windows-test-deps windows windows-test

# Installs those of the packages named in $(1) that are missing.
define install_missing
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' \
	    || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	else \
	  echo "All required packages are installed."; \
	fi
endef

deps:
	$(call install_missing,$(DEB_PACKAGES))

package-deps:
	$(call install_missing,$(PACKAGE_DEB_PACKAGES))

fuzz-deps:
	$(call install_missing,$(FUZZ_DEB_PACKAGES))

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The program on its built-in control box: the way to try it without an instrument.
run: build
	$(BUILD_DIR)/src/app/zentak --port Simulator

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package, zentak_<version>_<arch>.deb, in the build folder.
package: build package-deps
	cd $(BUILD_DIR) && cpack -G DEB

# Builds the package, unpacks it into a scratch root and runs the programs
# from there (a few seconds; kept out of make test).
package-test: build package-deps
	cd $(BUILD_DIR) && ctest -C Package -R '^package_deb$$' --output-on-failure

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer; the
# first finding fails the test it happens in.
SANITIZE_DIR ?= build-sanitize
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENTAK_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS on a copy of its seed corpus.
FUZZ_DIR ?= build-fuzz
fuzz: deps fuzz-deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTAK_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers
	fuzz/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

windows-deps:
	$(call install_missing,$(WINDOWS_DEB_PACKAGES))

windows-test-deps:
	$(call install_missing,$(WINDOWS_TEST_DEB_PACKAGES))

windows: windows-deps
	prefix=$$(windows/qt-mingw-prefix.sh) && \
	cmake -S . -B $(WINDOWS_BUILD_DIR) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/windows/mingw-w64-x86_64.cmake \
	  -DZENTAK_QT_MINGW_PREFIX="$$prefix" $(WINDOWS_CMAKE_ARGS)
	cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)

# The tests under Wine, offscreen; QT_* settings reach the programs through
# the build's wine-run.sh.
windows-test: windows windows-test-deps
	cd $(WINDOWS_BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) $(WINDOWS_BUILD_DIR)
