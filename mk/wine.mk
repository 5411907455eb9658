# `make wine-test`: only the Windows pieces, cross-compiled and run under
# Wine (also part of `make test`).
.PHONY: wine-test
wine-test: deps-windows
	scripts/wine-test $(BUILD)/tests/wine $(if $(CI),--werror)
