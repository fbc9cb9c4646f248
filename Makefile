# The README's commands. `make run` and `make test` install whatever Debian packages are missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
ifeq ($(SANITIZE),1)
BUILD_DIR := build-sanitize
CMAKE_FLAGS += -DQUILLMARK_SANITIZE=ON
endif

.PHONY: run test build bench install uninstall screenshots deps configure clean

run: deps build
	$(BUILD_DIR)/bin/quillmark

test: deps build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Times the programs against their reference tools in one run; not part of the tests.
bench: deps build
	cmake --build $(BUILD_DIR) --target bench_encoder
	@for b in $(BUILD_DIR)/bin/bench_*; do echo "== $$b"; $$b || exit 1; done

screenshots: build
	tools/install-deps tools/debian-packages-screenshots
	tools/screenshots.sh $(BUILD_DIR) docs/screenshots

# PREFIX=/some/where installs elsewhere than ~/.local.
install: deps build
	cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix $(PREFIX))

uninstall:
	cmake --build $(BUILD_DIR) --target uninstall

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure:
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

deps:
	tools/install-deps

clean:
	rm -rf build build-sanitize
