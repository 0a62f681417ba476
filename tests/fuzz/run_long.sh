#!/usr/bin/env bash
# Long fuzzing: every harness of BUILD_DIR in turn within HOURS, with one libFuzzer job per core,
# on inputs of up to 1 KB (or the largest seed). First pass: each harness runs until it has RUNS
# executions (0: no such goal) or its share of the time left, so a fast harness hands its unused
# time to the slower ones after it; a second pass does the same for those still short of RUNS.
# Last pass: the time still left, shared evenly, without the goal. New inputs collect in BUILD_DIR/fuzz-work/<harness> (bring them into the seed corpus with
# `make fuzz-merge`), job logs in BUILD_DIR/fuzz-work/logs/<harness>. Prints executions and
# coverage per harness; fails if any job found something.
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
hours=${2:?hours}
jobs=${3:-$(nproc)}
goal=${4:-10000000}
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

harnesses=()
for harness in "$build"/fuzz_*; do
    [ -x "$harness" ] && harnesses+=("$harness")
done
[ ${#harnesses[@]} -gt 0 ] || { echo "no harnesses in $build"; exit 1; }
deadline=$(($(date +%s) + $(awk -v h="$hours" 'BEGIN { print int(h * 3600) }')))
echo "fuzz-long: ${#harnesses[@]} harnesses, $jobs jobs, until $(date -d "@$deadline" +%H:%M:%S)," \
    "first pass to $goal executions each"

declare -A runs cov
status=0

# Runs harness $1 for at most $2 seconds, each job stopping after $3 executions (0: no limit).
fuzz_one() {
    local harness=$1 seconds=$2 per_job=$3 name
    name=$(name_of "$harness")
    local seeds="$here/corpus/$name" work="$build/fuzz-work/$name"
    local logs="$build/fuzz-work/logs/$name/pass$pass" artifacts="$build/fuzz-artifacts/$name/"
    mkdir -p "$work" "$seeds" "$artifacts"
    rm -rf "$logs" && mkdir -p "$logs"
    local before limit=() started largest
    before=$(find "$artifacts" -type f | wc -l)
    # Inputs up to 1 KB, or the largest seed: a run's cost grows with its input, and longer
    # inputs mostly repeat what a shorter one already reaches.
    largest=$(find "$seeds" -type f -printf '%s\n' | sort -n | tail -n 1)
    [ "${largest:-0}" -gt 1024 ] || largest=1024
    started=$(date +%s)
    [ "$per_job" -gt 0 ] && limit=(-runs="$per_job")
    # libFuzzer writes each job's log as fuzz-<job>.log into the current folder.
    (cd "$logs" && "$harness" -jobs="$jobs" -workers="$jobs" -max_total_time="$seconds" \
        "${limit[@]}" -max_len="$largest" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$work" "$seeds" >"$logs/main.log" 2>&1) || true
    local n c
    n=$(cat "$logs"/fuzz-*.log 2>/dev/null |
        awk '/stat::number_of_executed_units:/ { n += $2 } END { print n + 0 }')
    c=$(cat "$logs"/fuzz-*.log 2>/dev/null |
        awk '/^#[0-9]+.*cov: / { for (i = 1; i < NF; ++i) if ($i == "cov:" && $(i + 1) > c) c = $(i + 1) }
             END { print c + 0 }')
    runs[$name]=$((${runs[$name]:-0} + n))
    [ "$c" -gt "${cov[$name]:-0}" ] && cov[$name]=$c
    if [ "$(find "$artifacts" -type f | wc -l)" -gt "$before" ] ||
        grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|check failed' \
            "$logs"/fuzz-*.log; then
        echo "fuzz-long $name: FAILED after $n runs (logs $logs, inputs in $artifacts)"
        status=1
    else
        echo "fuzz-long $name: pass $pass, $n runs in $(($(date +%s) - started)) s, cov $c"
    fi
}

name_of() {
    local name
    name=$(basename "$1")
    echo "${name#fuzz_}"
}

# The executions harness $1 still needs to reach the goal (0: none, or no goal).
short_of_goal() {
    local done=${runs[$(name_of "$1")]:-0}
    echo $((goal > done ? goal - done : 0))
}

# With "goal", the harnesses short of the goal run until they reach it; otherwise every harness
# runs without one. Each gets an even share of the time left when its turn comes.
fuzz_pass() {
    local mode=$1 left harness need per_job=0 todo=()
    for harness in "${harnesses[@]}"; do
        [ "$mode" != goal ] || [ "$(short_of_goal "$harness")" -gt 0 ] && todo+=("$harness")
    done
    local count=${#todo[@]}
    for harness in "${todo[@]}"; do
        left=$((deadline - $(date +%s)))
        [ "$left" -ge "$count" ] || return 0
        if [ "$mode" = goal ]; then
            need=$(short_of_goal "$harness")
            per_job=$(((need + jobs - 1) / jobs))
        fi
        fuzz_one "$harness" $((left / count)) "$per_job"
        count=$((count - 1))
    done
}

# Two goal passes: time the fast harnesses leave in the first lets the slow ones catch up.
pass=1
if [ "$goal" -gt 0 ]; then
    fuzz_pass goal
    pass=2
    fuzz_pass goal
    pass=3
fi
fuzz_pass even

for harness in "${harnesses[@]}"; do
    name=$(name_of "$harness")
    echo "fuzz-long total $name: ${runs[$name]:-0} runs, cov ${cov[$name]:-0}," \
        "$(find "$build/fuzz-work/$name" -type f 2>/dev/null | wc -l) inputs in fuzz-work"
done
exit $status
