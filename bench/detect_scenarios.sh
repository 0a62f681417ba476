#!/usr/bin/env bash
# Every line detection scenario against the simulator: each baud box rate with TRX5, DIN66019II
# and raw traffic, busy and light, on a plain bus; a box on a pty and over UDP; a silent line and
# random bytes. `make test` runs a representative subset of the same table; this runs all of it
# (a few minutes, four scenarios at a time). Not run by ctest.
# Usage: bash bench/detect_scenarios.sh BUILD_DIR
set -euo pipefail
PROTMON_DETECT_FULL=1 exec "$1/core_tests" --gtest_filter='LineDetectScenarios.*'
