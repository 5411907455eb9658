# `make fuzz`: builds the libFuzzer targets with clang in their own folder and
# runs each one for FUZZ_SECONDS, starting from tests/fuzz/corpus/<name>/.
# New inputs go to $(FUZZ_BUILD)/corpus/; a finding stops the run and leaves
# its input in $(FUZZ_BUILD)/ (crash-*, timeout-*, leak-*).
FUZZ_BUILD   ?= build-fuzz
FUZZ_CXX     ?= clang++-14
FUZZ_SECONDS ?= 30
FUZZ_TARGETS := kvr_read kvr_write

FUZZ_CONFIGURE = cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	-DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DZERVA_FUZZ=ON \
	-DZERVA_BUILD_TESTS=OFF -DZERVA_BUILD_BENCH=OFF $(WERROR) $(LAUNCHER) $(CMAKE_ARGS)

.PHONY: fuzz build-fuzz

$(FUZZ_BUILD)/build.ninja: | deps-fuzz
	$(FUZZ_CONFIGURE)

build-fuzz: deps-fuzz $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))

fuzz: build-fuzz
	@set -e; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  $(FUZZ_BUILD)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -max_len=65536 -print_final_stats=1 -dict=tests/fuzz/kvr.dict \
	    -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus/$$t tests/fuzz/corpus/$$t; \
	done
