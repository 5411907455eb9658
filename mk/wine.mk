# `make wine-test`: only the Windows pieces, cross-compiled and run under
# Wine (also part of `make test`).
.PHONY: wine-test
wine-test: deps-windows
	scripts/wine-test $(BUILD)/tests/wine $(if $(CI),--werror)

# `make wine-bench`: the refresh cost of the native Windows process source
# and of the management-service source under Wine, over the same processes.
.PHONY: wine-bench
wine-bench: deps-windows
	scripts/wine-test $(BUILD)/tests/wine --bench $(WINE_BENCH_ARGS)
