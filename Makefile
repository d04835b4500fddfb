# The two set-up commands: `make run` and `make test`. The build itself is CMake's.
BUILD := build
JOBS := $(shell nproc)

.PHONY: run test deps build sanitize

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "verrimo: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); try 'xvfb-run make run', or the command-line tool $(BUILD)/src/cli/verrimo-cli --help" >&2; \
	  exit 1; \
	fi
	@$(BUILD)/src/gui/verrimo

test: build
	@cmake --build $(BUILD) --target sanitize
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The unit tests under the sanitizers and a bounded fuzzing run: CMake's sanitize target, which
# builds them in $(BUILD)/sanitize (a crashing input lands in $(BUILD)/sanitize/crash-*).
sanitize: build
	@cmake --build $(BUILD) --target sanitize
