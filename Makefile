# make / make build: install what is missing, configure and build into build/.
# make run:  the above, register the module, serve site/ on 127.0.0.1:$(PORT).
# make test: the above, then the whole test suite through CTest.
# make bench: the above, then every benchmark under bench/ in one table.
# make install [PREFIX=/usr/local] [DESTDIR=...]: the above, then install.
# make package: the above, then build/vantupload_VERSION_ARCH.deb.
# make check-format: every C++ file laid out by the pinned clang-format.
# make tidy [BASE=rev]: clang-tidy on the product files changed since BASE.
# make test-sanitize: the unit tests under ASan+UBSan in build-sanitize/.
PORT ?= 8080
PREFIX ?= /usr/local
SITE ?= $(CURDIR)/site
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

PACKAGES := build-essential cmake ninja-build pkg-config libboost-dev \
  duktape-dev libsqlite3-dev libvips-dev libexif-dev libpango1.0-dev \
  fonts-liberation fonts-noto-cjk fontconfig libgtest-dev libgmock-dev libbenchmark-dev \
  clang libclang-rt-14-dev clang-format-14 clang-tidy-14 curl wget nodejs chromium \
  python3 clamav-daemon libsystemd-dev dpkg-dev nginx openssl \
  redis-server libhiredis-dev postgresql libpq-dev

.PHONY: all build deps configure run test bench asan tsan clean format install package \
  check-format tidy test-sanitize

all: build

deps:
	@./tools/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./tools/run-site.sh $(BUILD) "$(SITE)" $(PORT)

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null && ls -1 $(CURDIR)/$(BUILD)/vantupload_*.deb

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 1200

bench: build
	@BUILD=$(BUILD) ./bench/run-all

# Sanitizer builds of the same suite, in their own build folders.
asan:
	@$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DVANT_SANITIZE=address"

tsan:
	@$(MAKE) test BUILD=build-tsan CMAKE_FLAGS="-DVANT_SANITIZE=thread"

# Lint: the layout with the pinned clang-format, clang-tidy on a change.
format: deps
	@./tools/check-format.sh --fix

check-format: deps
	@./tools/check-format.sh

tidy: configure
	@BUILD=$(BUILD) ./tools/tidy-changed.sh

# The unit tests alone under ASan+UBSan: a fault stops the test with a trace.
test-sanitize: deps
	@JOBS=$(JOBS) ./tools/test-sanitize.sh build-sanitize

clean:
	rm -rf $(BUILD) build-asan build-tsan build-sanitize
