# Set-up, build and tests on a Debian 12 machine. Run as root, or as a user
# who may use sudo: `make deps` installs only the packages that are missing.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)

# Compiler and build tools, Qt 6 (Core, Gui, Widgets, SerialPort,
# PrintSupport, Test), the fonts the graphs are drawn with and pdftoppm,
# with which the print tests read their PDF pages.
DEB_PACKAGES := cmake g++ make ninja-build qt6-base-dev qt6-serialport-dev \
                fonts-liberation fonts-dejavu-core poppler-utils

# make package also needs dpkg-shlibdeps, which reads the package's library
# dependencies from the programs.
PACKAGE_DEB_PACKAGES := dpkg-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps package-deps build run test package package-test clean

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

clean:
	rm -rf $(BUILD_DIR)
