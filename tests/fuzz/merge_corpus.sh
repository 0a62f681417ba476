#!/usr/bin/env bash
# Moves the inputs of BUILD_DIR/fuzz-work/<harness> that add coverage into the checked-in seed
# corpus tests/fuzz/corpus/<harness> (libFuzzer's -merge=1); inputs that add nothing are left out.
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for harness in "$build"/fuzz_*; do
    [ -x "$harness" ] || continue
    name=$(basename "$harness")
    name=${name#fuzz_}
    work="$build/fuzz-work/$name"
    seeds="$here/corpus/$name"
    if [ ! -d "$work" ] || [ -z "$(ls -A "$work")" ]; then
        echo "fuzz-merge $name: no new inputs"
        continue
    fi
    mkdir -p "$seeds"
    before=$(find "$seeds" -type f | wc -l)
    log="$build/fuzz-work/$name.merge.log"
    if ! "$harness" -merge=1 -timeout=10 -rss_limit_mb=1024 "$seeds" "$work" >"$log" 2>&1; then
        echo "fuzz-merge $name: FAILED (log $log)"
        tail -n 20 "$log"
        exit 1
    fi
    echo "fuzz-merge $name: $(($(find "$seeds" -type f | wc -l) - before)) inputs added to $seeds"
done
