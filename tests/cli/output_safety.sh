#!/usr/bin/env bash
# What protmon-cli writes, and what it refuses to destroy: special files as output (private
# device nodes, FIFOs, links), the input as output, a folder as input or output, standard output,
# failed writes with the system's reason, and no output file left by a command that fails.
# Usage: bash output_safety.sh BUILD_DIR DATA_DIR
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

"$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/rec.bu5" || exit 1
cp "$work/rec.bu5" "$work/keep.bu5"
head -c 100 "$work/rec.bu5" >"$work/cut.bu5"
root=0
[ "$(id -u)" = 0 ] && mknod "$work/full" c 1 7 && root=1

# The input as output: refused, the input untouched (also through a link).
ln -s "$work/keep.bu5" "$work/keep-link.bu5"
overwrite="the output would overwrite the input"
expect 1 "$overwrite" "$cli" export --format csv "$work/keep.bu5" -o "$work/keep.bu5"
expect 1 "$overwrite" "$cli" export --format pcapng "$work/keep.bu5" -o "$work/keep-link.bu5"
expect 1 "$overwrite" "$cli" assemble --protocol raw "$work/keep.bu5" -o "$work/keep.bu5"
expect 1 "$overwrite" bash -c '"$1" export --format pcapng "$2" -o - >>"$2"' _ "$cli" "$work/keep.bu5"
cmp -s "$work/rec.bu5" "$work/keep.bu5" || fail "the input was changed"
[ -L "$work/keep-link.bu5" ] || fail "the link was replaced"

# A failed command leaves no new output file: export of a cut recording.
expect 1 "Error reading from file" "$cli" export --format pcapng "$work/cut.bu5" -o "$work/cut.pcapng"
[ ! -e "$work/cut.pcapng" ] || fail "export of a cut file left $(stat -c %s "$work/cut.pcapng") bytes"

# A failed write names the path and the system's reason.
expect 1 "cannot write $work/no/x.csv: No such file or directory" \
    "$cli" export --format csv "$work/rec.bu5" -o "$work/no/x.csv"
expect 1 "cannot write $work/no/x.bu5: No such file or directory" \
    "$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/no/x.bu5"

# -o - writes to standard output the bytes a file would hold.
"$cli" export --format pcapng "$work/rec.bu5" -o "$work/rec.pcapng" || fail "export to a file"
"$cli" export --format pcapng "$work/rec.bu5" -o - >"$work/stdout.pcapng" || fail "export -o -"
cmp -s "$work/rec.pcapng" "$work/stdout.pcapng" || fail "-o - differs from the file"

# A FIFO is written through to its reader and stays a FIFO.
mkfifo "$work/fifo"
cat "$work/fifo" >"$work/from-fifo.csv" &
"$cli" export --format csv "$work/rec.bu5" -o "$work/fifo" || fail "export to a FIFO"
wait
[ -p "$work/fifo" ] || fail "the FIFO was replaced"
"$cli" export --format csv "$work/rec.bu5" -o "$work/rec.csv"
cmp -s "$work/rec.csv" "$work/from-fifo.csv" || fail "the FIFO got other bytes"

# A link to a file replaces the file, not the link.
: >"$work/target.csv"
ln -s "$work/target.csv" "$work/link.csv"
"$cli" export --format csv "$work/rec.bu5" -o "$work/link.csv" || fail "export to a link"
[ -L "$work/link.csv" ] || fail "the link was replaced"
cmp -s "$work/rec.csv" "$work/target.csv" || fail "the linked file was not written"

# A device node: written through, never replaced; a full one is a failure with its reason.
if [ "$root" = 1 ]; then
    expect 1 "cannot write $work/full: No space left on device" \
        "$cli" export --format csv "$work/rec.bu5" -o "$work/full"
    expect 1 "No space left on device" \
        "$cli" assemble --protocol trx5 "$data/trx5_stream.bin" -o "$work/full"
    [ -c "$work/full" ] || fail "the device node was replaced"
    # Output to stdout that cannot be written fails, --help and --version included.
    for args in "--help" "--version" "decode --help" "decode $work/rec.bu5" "info $work/rec.bu5" \
        "stats $work/rec.bu5"; do
        # shellcheck disable=SC2086 # the words are the arguments
        expect 1 "cannot write the output: No space left on device" \
            bash -c '"$@" >"'"$work/full"'"' _ "$cli" $args
    done
else
    echo "skipped: device nodes need root"
fi

# A folder as input: a clear error for every command, never an abort.
mkdir "$work/folder"
for command in "info" "decode" "stats" "export --format pcapng -o $work/f.pcapng" "values --list" \
    "assemble --protocol trx5 -o $work/f.bu5"; do
    # shellcheck disable=SC2086
    expect 1 "$work/folder" "$cli" $command "$work/folder"
done
expect 1 "cannot read the input: Is a directory" \
    "$cli" assemble --protocol trx5 "$work/folder" -o "$work/f.bu5"

# assemble from a FIFO that nobody writes does not wait for a writer.
mkfifo "$work/silent"
expect 1 "cannot read the input: not a regular file" \
    timeout 10 "$cli" assemble --protocol trx5 "$work/silent" -o "$work/f.bu5"

# A folder as output file, or as record's prefix: refused before anything starts.
expect 1 "cannot write $work/folder: Is a directory" \
    "$cli" export --format pcapng "$work/rec.bu5" -o "$work/folder"
expect 1 "cannot write $work/folder/: Is a directory" \
    "$cli" capture --port "$work/no-port" -o "$work/folder/"
expect 1 "cannot write $work/folder: Is a directory" \
    "$cli" capture --port "$work/no-port" --summary-json "$work/folder"
expect 1 "a folder, not a file name prefix" \
    "$cli" record --port "$work/no-port" -o "$work/folder/"
[ -z "$(ls "$work/folder")" ] || fail "files appeared in the folder: $(ls "$work/folder")"
finish ok
