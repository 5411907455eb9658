# `make test-as-user`: the tests again as an unprivileged account, created
# when missing (scripts/normal-user); root ignores file modes. CI runs it
# after `make test` (.ci/run.d/25-as-user).
.PHONY: test-as-user
test-as-user: deps-test build
	scripts/test-as-user $(BUILD)
