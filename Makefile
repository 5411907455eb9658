# Zerva: `make run` and `make test` do all the set-up on a fresh Debian 12.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=
# -Werror in CI.
ifneq ($(CI),)
WERROR := -DZERVA_WERROR=ON
endif
# ccache speeds up rebuilds where it is installed; nothing needs it.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
LAUNCHER := -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)
endif
CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(WERROR) $(LAUNCHER) $(CMAKE_ARGS)

.PHONY: all deps configure build run test clean

all: build

# What building and running need; deps-GROUP adds scripts/deps.d/GROUP.list
# (the targets that need a group ask for it), after deps, so that two
# apt-get never run at once under make -j.
deps:
	@scripts/install-deps
deps-%: deps
	@scripts/install-deps $*

$(BUILD)/build.ninja: | deps
	$(CONFIGURE)

configure: deps
	$(CONFIGURE)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display here; try: xvfb-run -a make run"; exit 1; fi
	$(BUILD)/zerva

test: deps-test build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)*

# Further targets (bench, fuzz, package, ...) live in mk/*.mk.
-include $(sort $(wildcard mk/*.mk))
