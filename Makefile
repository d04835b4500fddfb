# The set-up commands: `make run`, `make test`, `make package` and `make install`. The build
# itself is CMake's.
BUILD := build
JOBS := $(shell nproc)
PREFIX ?= /usr/local

.PHONY: run test deps build bench sanitize tsan install package

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: deps
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "verrimo: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); try 'xvfb-run make run', or the command-line tool $(BUILD)/src/cli/verrimo-cli --help" >&2; \
	  exit 1; \
	fi
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target verrimo verrimo_auto_txt -- --no-print-directory >/dev/null
	@$(BUILD)/src/gui/verrimo

# The sanitizer build and its fuzzing run beside the tests, which mostly wait on windows and
# servers; what it printed follows the tests' report.
test: build
	@cd $(BUILD) && { cmake --build . --target sanitize >sanitize.log 2>&1 & sanitize=$$!; \
	  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS); tests=$$?; \
	  wait $$sanitize; sanitized=$$?; cat sanitize.log; exit $$((tests || sanitized)); }

# The benchmarks in $(BUILD)/bench, which make build and make test leave out.
bench: deps
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target bench

# The unit tests under the sanitizers and a bounded fuzzing run: CMake's sanitize target, which
# builds them in $(BUILD)/sanitize (a crashing input lands in $(BUILD)/sanitize/crash-*).
sanitize: build
	@cmake --build $(BUILD) --target sanitize

# The threaded code under ThreadSanitizer: CMake's tsan target, which builds in $(BUILD)/tsan and
# leaves any report in $(BUILD)/tsan/tsan-report.*.
tsan: deps
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) --target tsan

# The programs and their files under PREFIX; DESTDIR, when set, is put in front of every path.
install: deps
	@cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target verrimo verrimo-cli verrimo_auto_txt verrimo_package_docs
	@cmake --install $(BUILD)

# verrimo_VERSION_ARCH.deb in this folder, checked by lintian.
package:
	@scripts/install-deps.sh package
	@cmake -S . -B $(BUILD)-package -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
	  -DVERRIMO_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-package -j $(JOBS) -- --no-print-directory
	@cd $(BUILD)-package && cpack -G DEB >/dev/null
	@mv $(BUILD)-package/verrimo_*.deb .
	@lintian --fail-on error verrimo_*.deb && echo "lintian: no errors"
	@ls verrimo_*.deb
