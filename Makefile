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

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build run test clean

deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
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

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The program on its built-in control box: the way to try it without an instrument.
run: build
	$(BUILD_DIR)/src/app/zentak --port Simulator

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
