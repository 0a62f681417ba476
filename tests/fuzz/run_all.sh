#!/usr/bin/env bash
# Runs every fuzz harness of BUILD_DIR for SECONDS seconds from its seed corpus. New inputs go to a
# scratch folder, so the checked-in corpus changes only by hand. Fails on the first finding.
set -euo pipefail
build=${1:?build dir}
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for harness in "$build"/fuzz_*; do
    [ -x "$harness" ] || continue
    name=$(basename "$harness")
    name=${name#fuzz_}
    seeds="$here/corpus/$name"
    scratch="$build/fuzz-work/$name"
    artifacts="$build/fuzz-artifacts/$name/"
    mkdir -p "$scratch" "$artifacts" "$seeds"
    log="$build/fuzz-work/$name.log"
    if "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$scratch" "$seeds" >"$log" 2>&1; then
        echo "fuzz $name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs in ${seconds}s"
    else
        echo "fuzz $name: FAILED (log $log, inputs in $artifacts)"
        tail -n 40 "$log"
        status=1
    fi
done
exit $status
