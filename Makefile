# The README's commands. `make run` and `make test` install whatever Debian packages are missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
# Warnings are errors in the tests' builds (make test, the sanitizer and the fuzz builds), not in a
# user's: a newer compiler or FFmpeg may bring a warning that must not stop make run or make install.
STRICT := -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
ifeq ($(SANITIZE),1)
BUILD_DIR := build-sanitize
CMAKE_FLAGS += -DQUILLMARK_SANITIZE=ON $(STRICT)
endif

# The fuzz build: clang with libFuzzer and the sanitizers, in a folder of its own.
FUZZ_DIR := build-fuzz
FUZZ_SECONDS ?= 60
TEST_FUZZ_SECONDS ?= 15

.PHONY: run test build bench install uninstall deb screenshots deps configure strict clean fuzz

run: deps build
	$(BUILD_DIR)/bin/quillmark

test: deps strict build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)

# Runs every fuzz target for FUZZ_SECONDS on its corpus; fails on a finding. Configured on every run, as
# strict does, so that a fuzz build configured before warnings became errors there is made strict too.
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_FUZZ=ON $(STRICT)
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	fuzz/run $(FUZZ_DIR) $(FUZZ_SECONDS)

# Times the programs against their reference tools in one run; not part of the tests.
bench: deps build
	cmake --build $(BUILD_DIR) --target bench_encoder
	cmake --build $(BUILD_DIR) --target bench_start
	@for b in $(BUILD_DIR)/bin/bench_*; do echo "== $$b"; $$b || exit 1; done

screenshots: build
	tools/install-deps tools/debian-packages-screenshots
	tools/screenshots.sh $(BUILD_DIR) docs/screenshots

# PREFIX=/some/where installs elsewhere than ~/.local.
install: deps build
	cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix $(PREFIX))

uninstall:
	cmake --build $(BUILD_DIR) --target uninstall

# The Debian package, quillmark_<version>-1_amd64.deb, in this folder: apt-get install ./quillmark_*.deb
deb: deps build
	rm -rf $(BUILD_DIR)/deb
	cpack --config $(BUILD_DIR)/CPackConfig.cmake -B $(BUILD_DIR)/deb
	cp $(BUILD_DIR)/deb/quillmark_*.deb .

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure:
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

# Configures the build, new or not, with warnings as errors.
strict:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) $(STRICT)

deps:
	tools/install-deps

clean:
	rm -rf build build-sanitize $(FUZZ_DIR) quillmark_*.deb
