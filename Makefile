# The two commands for a newcomer on a fresh Debian 12 machine:
#   make run    installs what is needed, builds, and starts the program (the
#               window on a desktop; without a display it plans the example job)
#   make test   installs what is needed, builds, and runs every test
.PHONY: run test deps build test-asan bench package clean

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= 2

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD_DIR)/bin/trevak; \
	else \
		echo "No display: planning the example job on the command line"; \
		$(BUILD_DIR)/bin/trevak-cli plan --example; \
	fi

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

# The core and its tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DTREVAK_SANITIZE=ON -DTREVAK_CORE_ONLY=ON
	cmake --build $(ASAN_DIR) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_DIR) --output-on-failure -j$(JOBS)

bench: build
	$(BUILD_DIR)/bin/trevak-bench

# The Debian package $(BUILD_DIR)/trevak_<version>_<arch>.deb; its dependencies
# are computed by dpkg-shlibdeps (package dpkg-dev, which build-essential
# brings and scripts/install-deps.sh lists).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
