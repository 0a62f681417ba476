# Shared by the scripts in this folder, which source it after their `set` line:
#     source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
# Arguments, as CMake passes them: BUILD_DIR DATA_DIR. Works with and without `set -e`.
# shellcheck shell=bash disable=SC2034 # the variables are for the scripts

build=$1
data=${2:-}
cli="$build/protmon-cli"
lmsim="$build/lmsim"
work=$(mktemp -d)
# A script that sets keep_going=1 goes on after a failure and reports them all in `finish`.
keep_going=0
failures=0
lmsim_pids=()
lmsim_pid=""
lmsim_runs=0

cleanup() {
    local p
    for p in "${lmsim_pids[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ "$keep_going" != 1 ]; then
        exit 1
    fi
    failures=$((failures + 1))
}

# finish TEXT: status 1 if anything failed, otherwise prints TEXT (if not empty).
finish() {
    if [ "$failures" != 0 ]; then
        echo "$failures failure(s)" >&2
        exit 1
    fi
    if [ -n "$1" ]; then
        echo "$1"
    fi
}

# expect STATUS TEXT COMMAND...: COMMAND exits with STATUS and prints TEXT on stdout or stderr.
expect() {
    local want=$1 text=$2 out status=0
    shift 2
    out=$("$@" 2>&1) || status=$?
    if [ "$status" != "$want" ] || [[ "$out" != *"$text"* ]]; then
        fail "$* -> status $status (want $want), output:"$'\n'"$out"
    fi
}

# same_text EXPECTED ACTUAL WHAT: the two texts are equal; a unified diff otherwise. Not at the
# end of a pipeline: `fail` must run in the script's own shell.
same_text() {
    diff -u "$1" "$2" || fail "$3"
}

# same_bytes EXPECTED ACTUAL WHAT: the two files are byte for byte equal.
same_bytes() {
    cmp "$1" "$2" || fail "$3"
}

# wait_for_line FILE [REGEX]: prints FILE's first line once it is complete and matches REGEX;
# status 1 if that does not happen within five seconds.
wait_for_line() {
    local file=$1 pattern=${2:-.} lines line
    for _ in $(seq 100); do
        lines=$({ wc -l <"$file"; } 2>/dev/null || echo 0)
        if [ "$lines" -ge 1 ]; then
            line=$(head -n 1 "$file")
            if [[ $line =~ $pattern ]]; then
                printf '%s\n' "$line"
                return 0
            fi
        fi
        sleep 0.05
    done
    return 1
}

# start_lmsim OPTION...: starts the simulator and sets $where to the first line it prints, its
# UDP port or pty path. Each run writes its own file: one still running keeps writing into its old
# one. The simulators still running are ended when the script exits.
start_lmsim() {
    lmsim_runs=$((lmsim_runs + 1))
    local out="$work/lmsim$lmsim_runs.out"
    "$lmsim" "$@" >"$out" 2>&1 &
    lmsim_pid=$!
    lmsim_pids+=("$lmsim_pid")
    where=$(wait_for_line "$out") || fail "lmsim $* did not start"
}

# stop_lmsim: ends the simulator started last.
stop_lmsim() {
    if [ -n "$lmsim_pid" ]; then
        kill "$lmsim_pid" 2>/dev/null || true
    fi
}
