#!/usr/bin/env bash
# `record` streams a capture into files: every frame the simulator sent lands in exactly one file
# whatever changes the file (count, SIGHUP); the ring deletes the oldest; the trigger stops after
# its delay and names the file and position of the trigger telegram; SIGTERM leaves only complete
# files; --reconnect over UDP goes on in a new file when the simulator comes back.
# Usage: bash record.sh BUILD_DIR DATA_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"

source "$(dirname "${BASH_SOURCE[0]}")/record_helpers.bash"

# Change by count and by SIGHUP: 2500 frames in files of at most 1000, one change by hand.
start_lmsim --udp 0 --count 2500 --rate 2000 --bad-bcc-permille 0
start_record count --file-entries 1000
for _ in $(seq 200); do
    grep -q '^Recording: [1-4][0-9]\{0,2\} entries' "$work/count.err" 2>/dev/null && break
    sleep 0.02
done
kill -HUP "$rec"
wait_entries "$work/count.err" 2500
end_record
[ "$(entries_in "$work/count")" = 2500 ] || fail "entries over all files: $(entries_in "$work/count")"
files=$(ls "$work"/count-*.bu5 | wc -l)
[ "$files" = 4 ] || fail "4 files expected (3 by count, 1 by SIGHUP), got $files"
"$cli" decode "$work"/count-*-000.bu5 >/dev/null || fail "decode of the first file"
stop_lmsim

# The ring keeps the newest 2 files of 5; pcapng files read back like monitor files.
start_lmsim --udp 0 --count 500 --rate 5000 --bad-bcc-permille 0
start_record ring --file-entries 100 --ring 2 --format pcapng
wait_entries "$work/ring.err" 500
end_record
kept=$(ls "$work"/ring-* | sed 's/.*-\([0-9]*\)\.pcapng$/\1/' | tr '\n' ' ')
[ "$kept" = "003 004 " ] || fail "the ring kept files $kept"
[ "$(entries_in "$work/ring")" = 200 ] || fail "the ring holds $(entries_in "$work/ring") entries"

# The trigger on the first response, 130 entries on over a change of file (files of 100).
start_lmsim --udp 0 --count 2000 --rate 5000 --bad-bcc-permille 0
"$cli" record --udp "127.0.0.1:$where" -o "$work/trig" --quiet --file-entries 100 \
    --trigger 'req-rsp=rsp' --trigger-delay 130 --keep-before 1 >"$work/trig.out" 2>&1 ||
    fail "triggered record exits with $?"
stop_lmsim
line=$(grep '^Trigger telegram: ' "$work/trig.out") || fail "no trigger report: $(cat "$work/trig.out")"
file=$(echo "$line" | sed 's/^Trigger telegram: \(.*\) position .*/\1/')
pos=$(echo "$line" | sed 's/.* position //')
[ "$(ls "$work"/trig-* | wc -l)" = 2 ] || fail "--keep-before 1 keeps two files: $(ls "$work")"
# 130 entries follow the trigger telegram over the kept files.
"$cli" decode "$file" | sed -n "$((pos + 1))p" | grep -q . || fail "no entry at $pos of $file"
last=$(ls "$work"/trig-* | tail -n 1)
total_last=$("$cli" info "$last" | sed -n 's/^EntriesInFile: //p')
if [ "$file" = "$last" ]; then
    [ $((total_last - 1 - pos)) = 130 ] || fail "130 entries after the trigger in $last, pos $pos"
else
    [ $((total_last + 100 - 1 - pos)) = 130 ] || fail "trigger at $file $pos, last $last"
fi

# Reconnect over UDP: the simulator goes away after 300 frames (no datagram for a second means
# gone) and comes back on the same port with 200 more; every frame lands in one of the files.
start_lmsim --udp 0 --count 300 --rate 2000 --bad-bcc-permille 0
port=$where
start_record again --reconnect --silence 1 --file-entries 100000
wait_entries "$work/again.err" 300
last_data=$(date +%s)
stop_lmsim
wait "$lmsim_pid" 2>/dev/null
wait_text "$work/again.err" 'went away' "the recorder did not notice the silence"
start_lmsim --udp "$port" --count 200 --rate 2000 --bad-bcc-permille 0
[ "$where" = "$port" ] || fail "lmsim came back on $where, not $port"
wait_text "$work/again.err" '^Recording: 500 entries' "500 entries not reached after the gap"
back=$(date +%s)
end_record
# The box went away with its last datagram, not when the recorder noticed or stopped; the gap
# runs from there to its return.
went=$(sed -n 's/.*went away at \([0-9: -]*\);.*/\1/p' "$work/again.err")
went=$(date -d "$went" +%s) || fail "no time of going away: $(cat "$work/again.err")"
[ $((last_data - went)) -le 1 ] && [ $((went - last_data)) -le 1 ] ||
    fail "went away at $went, last datagram at about $last_data"
gap=$(sed -n 's/.*after a gap of \([0-9]*\) s.*/\1/p' "$work/again.err")
[ "${gap:-0}" -ge $((back - last_data - 2)) ] && [ "${gap:-0}" -le $((back - last_data + 1)) ] ||
    fail "a gap of $gap s logged, $((back - last_data)) s seen"
stop_lmsim
[ "$(entries_in "$work/again")" = 500 ] || fail "entries after the gap: $(entries_in "$work/again")"
files=$(ls "$work"/again-*.bu5 | wc -l)
[ "$files" -ge 2 ] || fail "a new file after the gap expected, got $files"
grep -q 'after a gap of' "$work/again.err" || fail "no gap logged: $(cat "$work/again.err")"

expect 2 "record needs -o PREFIX" "$cli" record --udp 127.0.0.1:1
expect 2 "unknown option '--count'" "$cli" record --udp 127.0.0.1:1 -o x --count 3
finish "record: ok"
