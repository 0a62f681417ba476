#!/usr/bin/env bash
# `record` from a line monitor on a serial line, reached through a symlink as a udev name would
# be: files change by time; when the box goes away the recorder closes its file, tries again once
# a second and goes on in a new file once the link points at a box again. Every frame sent lands
# in exactly one complete file.
# Usage: bash record_pty.sh BUILD_DIR DATA_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

# wait_text FILE PATTERN: PATTERN shows up in FILE within twenty seconds.
wait_text() {
    for _ in $(seq 400); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "no '$2' in $1: $(tail -n 2 "$1")"
}

link="$work/line-monitor"
start_lmsim --pty --count 300 --rate 150 --bad-bcc-permille 0 # two seconds: a change by time
ln -sfn "$where" "$link"
"$cli" record --port "$link" --line-monitor -o "$work/pty" --quiet --status-interval 0.1 \
    --file-seconds 1 --reconnect >"$work/pty.out" 2>"$work/pty.err" &
rec=$!
wait_text "$work/pty.err" '^Recording: 300 entries'
stop_lmsim
wait_text "$work/pty.err" 'went away'
start_lmsim --pty --count 200 --rate 1000 --bad-bcc-permille 0
ln -sfn "$where" "$link"
wait_text "$work/pty.err" 'is back'
wait_text "$work/pty.err" '^Recording: 500 entries' # counted over the whole recording
kill -TERM "$rec"
wait "$rec" || fail "record exits with $? after SIGTERM"
! ls "$work" | grep -q '\.tmp-' || fail "temporary files left: $(ls "$work")"

total=0
for f in "$work"/pty-*.bu5; do
    n=$("$cli" info "$f" | sed -n 's/^EntriesInFile: //p')
    [ -n "$n" ] || fail "$f is not readable"
    total=$((total + n))
done
[ "$total" = 500 ] || fail "entries over all files: $total, 500 sent"
files=$(ls "$work"/pty-*.bu5 | wc -l)
[ "$files" -ge 3 ] || fail "a change by time and one at the reconnect give 3 files or more, got $files"
grep -q 'gap' "$work/pty.err" || fail "the gap is not logged"
echo "record on a pty: 500 entries in $files files over a reconnect"
