#!/usr/bin/env bash
# Long fuzzing: every harness of BUILD_DIR in turn for its share of HOURS, with one libFuzzer job
# per core. New inputs collect in BUILD_DIR/fuzz-work/<harness> (bring them into the seed corpus
# with `make fuzz-merge`), job logs in BUILD_DIR/fuzz-work/logs/<harness>. Prints executions and
# coverage per harness; fails if any job found something.
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
hours=${2:?hours}
jobs=${3:-$(nproc)}
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

harnesses=()
for harness in "$build"/fuzz_*; do
    [ -x "$harness" ] && harnesses+=("$harness")
done
[ ${#harnesses[@]} -gt 0 ] || { echo "no harnesses in $build"; exit 1; }
share=$(awk -v h="$hours" -v n=${#harnesses[@]} 'BEGIN { s = int(h * 3600 / n); print s < 1 ? 1 : s }')
echo "fuzz-long: ${#harnesses[@]} harnesses, ${share} s each, $jobs jobs"

status=0
for harness in "${harnesses[@]}"; do
    name=$(basename "$harness")
    name=${name#fuzz_}
    seeds="$here/corpus/$name"
    work="$build/fuzz-work/$name"
    logs="$build/fuzz-work/logs/$name"
    artifacts="$build/fuzz-artifacts/$name/"
    mkdir -p "$work" "$seeds" "$artifacts"
    rm -rf "$logs" && mkdir -p "$logs"
    before=$(find "$artifacts" -type f | wc -l)
    # libFuzzer writes each job's log as fuzz-<job>.log into the current folder.
    (cd "$logs" && "$harness" -jobs="$jobs" -workers="$jobs" -max_total_time="$share" \
        -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$artifacts" \
        "$work" "$seeds" >"$logs/main.log" 2>&1) || true
    runs=$(cat "$logs"/fuzz-*.log 2>/dev/null |
        awk '/stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }')
    cov=$(cat "$logs"/fuzz-*.log 2>/dev/null |
        awk '/^#[0-9]+.*cov: / { for (i = 1; i < NF; ++i) if ($i == "cov:" && $(i + 1) > c) c = $(i + 1) }
             END { print c + 0 }')
    after=$(find "$artifacts" -type f | wc -l)
    if [ "$after" -gt "$before" ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|check failed' \
        "$logs"/fuzz-*.log; then
        echo "fuzz-long $name: FAILED after $runs runs (logs $logs, inputs in $artifacts)"
        status=1
    else
        echo "fuzz-long $name: $runs runs, cov $cov, $(find "$work" -type f | wc -l) inputs in $work"
    fi
done
exit $status
