# `make test-sanitize`: the whole test suite again, built with AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer in its own build folder. Any
# report fails the run. Benchmarks are left out to keep CI time down.
SAN_BUILD ?= build-asan
SAN_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
SAN_SUPP  := $(CURDIR)/tests/sanitize

SAN_CONFIGURE = cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
	-DCMAKE_CXX_FLAGS="$(SAN_FLAGS)" \
	-DCMAKE_EXE_LINKER_FLAGS="$(SAN_FLAGS)" \
	-DZERVA_BUILD_BENCH=OFF -DZERVA_SANITIZE=ON $(WERROR) $(LAUNCHER) $(CMAKE_ARGS)

# Halt at the first report; Qt and the system libraries are not
# instrumented, so only their own internal leaks are suppressed (see the file).
export_san = \
	ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(SAN_SUPP)/lsan.supp:print_suppressions=0

.PHONY: test-sanitize build-sanitize

$(SAN_BUILD)/build.ninja: | deps-test
	$(SAN_CONFIGURE)

build-sanitize: deps-test $(SAN_BUILD)/build.ninja
	cmake --build $(SAN_BUILD) -j $(JOBS)

test-sanitize: build-sanitize
	cd $(SAN_BUILD) && $(export_san) ctest --output-on-failure -j $(JOBS)
