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
	@$(MAKE) --no-print-directory sanitize
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The unit tests once more under the address and undefined-behaviour sanitizers, and the
# extraction fuzzer for a bounded time; a crashing input lands in $(SAN)/crash-*.
SAN := build-san
FUZZ_SECONDS := 30
sanitize: deps
	@CC=clang CXX=clang++ cmake -S . -B $(SAN) -DVERRIMO_GUI=OFF -DVERRIMO_SANITIZE=ON \
	  -DVERRIMO_FUZZ=ON -DVERRIMO_BENCH=OFF >/dev/null
	@cmake --build $(SAN) -j $(JOBS) --target core_tests extract_fuzz
	@$(SAN)/tests/core_tests --gtest_brief=1
	@mkdir -p $(SAN)/fuzz-corpus
	@echo "Fuzzing the extraction for $(FUZZ_SECONDS) s"
	@$(SAN)/fuzz/extract_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	  -artifact_prefix=$(SAN)/ $(SAN)/fuzz-corpus fuzz/corpus >$(SAN)/fuzz.log 2>&1 \
	  || { tail -n 40 $(SAN)/fuzz.log; exit 1; }
	@grep -h '^Done' $(SAN)/fuzz.log
