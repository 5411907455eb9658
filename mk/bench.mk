# `make bench`: builds and runs the benchmarks (figures, then the line
# "refresh/floor = R"). ZERVA_BENCH_* variables in the environment tune it.
.PHONY: bench
bench: deps-bench $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target zerva_bench zerva
	$(BUILD)/bench/zerva_bench
