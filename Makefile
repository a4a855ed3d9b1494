# Front door: `make run` starts the local service with demo data and Lotse;
# `make test` builds both trees and runs every test. Both install what they need.
BUILD ?= build

.PHONY: run test build dist bench format
run:
	LOTSE_BUILD=$(abspath $(BUILD)) scripts/run.sh
test:
	LOTSE_BUILD=$(abspath $(BUILD)) scripts/test.sh
build:
	LOTSE_BUILD=$(abspath $(BUILD)) scripts/build.sh
dist:
	LOTSE_BUILD=$(abspath $(BUILD)) scripts/dist.sh
bench:
	LOTSE_BUILD=$(abspath $(BUILD)) scripts/bench.sh
format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
