# Helpers of the `record` scripts, sourced after lib.sh (not a test of its own).
# shellcheck shell=bash

# entries_in PREFIX: the entries of all of PREFIX's files, by `info`; fails on an unreadable one.
entries_in() {
    local total=0 f n
    for f in "$1"-*; do
        n=$("$cli" info "$f" | sed -n 's/^EntriesInFile: //p')
        [ -n "$n" ] || fail "$f is not readable"
        total=$((total + n))
    done
    echo "$total"
}

# wait_entries ERRFILE N: the status line reports N entries within ten seconds.
wait_entries() {
    for _ in $(seq 200); do
        grep -q "^Recording: $2 entries" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the recorder did not reach $2 entries: $(tail -n 1 "$1")"
}

# wait_text FILE REGEX WHAT: FILE has a line matching REGEX within thirty seconds.
wait_text() {
    for _ in $(seq 600); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "$3: $(tail -n 3 "$1")"
}

# start_record NAME OPTION...: records from the simulator started last into $work/NAME-..., in
# the background ($rec); its output goes to $work/NAME.out and .err (a slash in NAME made _).
start_record() {
    local name=$1
    shift
    "$cli" record --udp "127.0.0.1:$where" -o "$work/$name" --quiet --status-interval 0.05 \
        "$@" >"$work/${name//\//_}.out" 2>"$work/${name//\//_}.err" &
    rec=$!
}

# end_record: SIGTERM, status 0, no temporary file left.
end_record() {
    kill -TERM "$rec"
    wait "$rec" || fail "record exits with $? after SIGTERM"
    ! ls "$work" | grep -q '\.tmp-' || fail "temporary files left: $(ls "$work")"
}
