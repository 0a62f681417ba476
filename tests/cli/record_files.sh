#!/usr/bin/env bash
# `record` keeps what it wrote: a full disk ends the recording at once with a true file and exit
# 1; a ring with room for its files keeps going; restarts count into the ring; a killed recorder
# leaves a readable file that the next one finishes; names never collide; a silent box is
# reported. The disk cases run on a small tmpfs (as root). Each case is a function of the table
# at the end, all run even when one fails.
# Usage: bash record_files.sh BUILD_DIR DATA_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
source "$(dirname "${BASH_SOURCE[0]}")/record_helpers.bash"
keep_going=1

mounts=()
unmount_all() {
    local m
    for m in "${mounts[@]}"; do
        umount "$m" 2>/dev/null || umount -l "$m"
    done
    cleanup
}
trap unmount_all EXIT

# small_disk NAME SIZE: a tmpfs of SIZE under $work/NAME; prints its path.
small_disk() {
    mkdir -p "$work/$1"
    mount -t tmpfs -o "size=$2" tmpfs "$work/$1" || return 1
    mounts+=("$work/$1")
}

# wait_exit PID: waits up to ten seconds for PID to end by itself; sets $status.
wait_exit() {
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$1" 2>/dev/null; then
        kill -TERM "$1"
        fail "record did not end by itself"
    fi
    wait "$1"
    status=$?
}

# header_count FILE / present FILE: what `info` says the header counts, and what the file holds.
header_count() { "$cli" info "$1" 2>/dev/null | sed -n 's/^EntryCount: //p'; }
present() { "$cli" info "$1" 2>/dev/null | sed -n 's/^EntriesInFile: //p'; }

case_disk_full() {
    small_disk full 256k || return
    start_lmsim --udp 0 --count 1000000 --rate 10000 --bad-bcc-permille 0
    start_record full/rec --file-entries 100000
    wait_exit "$rec"
    stop_lmsim
    local err=$work/full_rec.err f
    [ "$status" = 1 ] || fail "disk full: exit $status"
    grep -q "^protmon-cli: cannot write $work/full/rec-.*\.bu5: No space left on device; it keeps the [0-9]* entries that fit" "$err" ||
        fail "disk full: no error with path and reason: $(cat "$err")"
    # Said when it happened, before the summary.
    [ "$(grep -n 'cannot write' "$err" | cut -d: -f1)" -lt "$(grep -n '^Capture ended' "$err" | cut -d: -f1)" ] ||
        fail "disk full: the error came after the summary"
    grep -q '^Capture ended (write error) after .* s: [1-9][0-9]* entries' "$err" ||
        fail "disk full: summary $(grep '^Capture' "$err")"
    f=$(ls "$work"/full/rec-*.bu5) || fail "disk full: no file kept"
    [ "$(ls "$work"/full | grep -c '\.tmp-')" = 0 ] || fail "disk full: temporary file left"
    [ "$(header_count "$f")" = "$(present "$f")" ] && [ "$(present "$f")" -gt 1000 ] ||
        fail "disk full: header $(header_count "$f"), present $(present "$f")"
    grep -q "^Capture ended (write error) after .* s: $(present "$f") entries" "$err" ||
        fail "disk full: summary and file disagree"
}

# Room for exactly three files of 1000 entries (14 pages each) and the lock, not for a fourth.
case_ring_room() {
    small_disk ring 192k || return
    start_lmsim --udp 0 --count 6500 --rate 10000 --bad-bcc-permille 0
    start_record ring/rec --file-entries 1000 --ring 3
    wait_entries "$work/ring_rec.err" 6500
    end_record
    stop_lmsim
    [ "$(ls "$work"/ring/rec-*.bu5 | wc -l)" = 3 ] || fail "ring: $(ls "$work/ring")"
    [ "$(entries_in "$work/ring/rec")" = 2500 ] || fail "ring: $(entries_in "$work/ring/rec") entries"
}

case_restarts() {
    local run
    for run in 1 2 3; do
        start_lmsim --udp 0 --count 300 --rate 10000 --bad-bcc-permille 0
        start_record again --file-entries 100 --ring 2
        wait_entries "$work/again.err" 300
        end_record
        stop_lmsim
    done
    [ "$(ls "$work"/again-*.bu5 | wc -l)" = 2 ] || fail "three runs with --ring 2 left $(ls "$work"/again-*)"
}

# case_killed FORMAT: after SIGKILL the temporary file is readable with a true count (at most a
# second behind); the next run finishes it and says so.
case_killed() {
    local name=killed-$1 tmp n before
    start_lmsim --udp 0 --count 1000000 --rate 2000 --bad-bcc-permille 0
    start_record "$name" --format "$1"
    for _ in $(seq 200); do
        tmp=$(ls "$work/$name"-*.tmp-* 2>/dev/null | head -n 1)
        n=$([ -n "$tmp" ] && header_count "$tmp")
        [ "$1" = pcapng ] && n=$([ -n "$tmp" ] && present "$tmp")
        [ "${n:-0}" -ge 500 ] && break
        sleep 0.05
    done
    kill -KILL "$rec"
    wait "$rec" 2>/dev/null
    stop_lmsim
    [ "${n:-0}" -ge 500 ] || fail "$1: the temporary file did not show 500 entries: $tmp"
    before=$(present "$tmp")
    if [ "$1" = bu5 ]; then
        n=$(header_count "$tmp")
        [ "$n" -gt 0 ] && [ $((before - n)) -le 2000 ] ||
            fail "$1: after SIGKILL the header counts $n of $before entries"
    fi
    start_lmsim --udp 0 --count 100 --rate 10000 --bad-bcc-permille 0
    start_record "$name" --format "$1"
    wait_entries "$work/$name.err" 100
    end_record
    stop_lmsim
    grep -q "^protmon-cli: finished $tmp, left by an earlier recorder, as $work/$name-.* ($before entries)" "$work/$name.err" ||
        fail "$1: recovery not reported: $(cat "$work/$name.err")"
    [ "$(entries_in "$work/$name")" = $((before + 100)) ] ||
        fail "$1: $(entries_in "$work/$name") entries after recovery, $before + 100 expected"
}

# A prefix a running recorder holds is refused; files that exist are never replaced.
case_names() {
    local d name
    for d in 0 1 2; do
        name=$(date -d "+$d sec" +%Y%m%d-%H%M%S)
        echo victim >"$work/name-$name-000.bu5"
    done
    start_lmsim --udp 0 --count 1000000 --rate 2000 --bad-bcc-permille 0
    start_record name
    wait_text "$work/name.err" '^Recording: [1-9][0-9]* entries' "names: nothing recorded"
    expect 1 "another recorder (process $rec) is recording with the prefix $work/name" \
        timeout 10 "$cli" record --udp "127.0.0.1:$where" -o "$work/name" --quiet
    end_record
    stop_lmsim
    [ "$(cat "$work"/name-*-000.bu5 | sort -u)" = victim ] || fail "names: a file was replaced"
    [ "$(ls "$work"/name-*.bu5 | wc -l)" = 4 ] || fail "names: $(ls "$work"/name-*)"
}

# A second recorder takes the box's stream: the first says so after --silence seconds.
case_silence() {
    local second
    start_lmsim --udp 0 --count 1000000 --rate 1000 --bad-bcc-permille 0
    start_record first --silence 1
    wait_text "$work/first.err" '^Recording: [1-9][0-9]* entries' "silence: nothing recorded"
    "$cli" record --udp "127.0.0.1:$where" -o "$work/second" --quiet >/dev/null 2>&1 &
    second=$!
    wait_text "$work/first.err" '^protmon-cli: no datagram from the line monitor for 1 s since .*another program' \
        "silence: no warning"
    kill -TERM "$second"
    wait "$second"
    end_record
    stop_lmsim
}

if [ "$(id -u)" != 0 ]; then
    echo "record_files: not root, the disk cases are skipped"
    cases=(case_restarts "case_killed bu5" "case_killed pcapng" case_names case_silence)
else
    cases=(case_disk_full case_ring_room case_restarts "case_killed bu5" "case_killed pcapng"
        case_names case_silence)
fi
for c in "${cases[@]}"; do
    $c
done
finish "record_files: ok"
