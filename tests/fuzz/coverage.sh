#!/usr/bin/env bash
# Replays the seed corpus and the fuzz-work inputs through the harnesses of COV_DIR (built with
# clang's source-based coverage) and writes an HTML report of the core to COV_DIR/html/index.html.
set -euo pipefail
cov=$(cd "${1:?coverage build dir}" && pwd)
work=${2:?fuzz build dir}/fuzz-work
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
profdata=$(command -v llvm-profdata-14 || command -v llvm-profdata)
llvmcov=$(command -v llvm-cov-14 || command -v llvm-cov)
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
rm -rf "$cov/profraw" "$cov/html"
mkdir -p "$cov/profraw"
objects=()
for harness in "$cov"/fuzz_*; do
    [ -x "$harness" ] || continue
    name=$(basename "$harness")
    name=${name#fuzz_}
    dirs=("$here/corpus/$name")
    [ -d "$work/$name" ] && dirs+=("$(cd "$work/$name" && pwd)")
    # -runs=0 runs every input of the folders once and mutates nothing.
    LLVM_PROFILE_FILE="$cov/profraw/$name-%p.profraw" \
        "$harness" -runs=0 -timeout=30 "${dirs[@]}" >"$cov/profraw/$name.log" 2>&1 ||
        { echo "fuzz-coverage $name: replay FAILED (log $cov/profraw/$name.log)"; exit 1; }
    echo "fuzz-coverage $name: $(grep -o 'INITED cov: [0-9]*' "$cov/profraw/$name.log" || echo replayed)"
    objects+=(-object "$harness")
done
"$profdata" merge -sparse "$cov"/profraw/*.profraw -o "$cov/fuzz.profdata"
# The core only: harnesses, tests and system headers are left out of the report. Every harness has
# its own LLVMFuzzerTestOneInput (and lambdas named alike), which llvm-cov calls mismatched in the
# merged profile; the core is the same code in every harness, so its counts add up.
filters=(-ignore-filename-regex='(^|/)(tests|usr)/')
quiet() {
    "$@" 2> >(sed 's/\x1b\[[0-9;]*m//g' | grep -v -e 'functions have mismatched data' -e '^$' >&2)
}
quiet "$llvmcov" show -format=html -output-dir="$cov/html" -instr-profile="$cov/fuzz.profdata" \
    -show-line-counts-or-regions -show-branches=count "${filters[@]}" "${objects[@]:1}" >/dev/null
quiet "$llvmcov" report -use-color=false -instr-profile="$cov/fuzz.profdata" "${filters[@]}" \
    "${objects[@]:1}" | tail -n 1
echo "fuzz-coverage: report in $cov/html/index.html"
