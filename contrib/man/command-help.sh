#!/usr/bin/env bash
# Writes a help2man include file with the --help text of every command that `protmon-cli --help`
# lists, so the man page documents the options of each command as the tool itself does.
# Usage: bash command-help.sh PROTMON_CLI OUTPUT
set -euo pipefail
cli=$1
out=$2
commands=$("$cli" --help | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1; next } { on = 0 }')
[ -n "$commands" ] || { echo "command-help.sh: $cli --help lists no commands" >&2; exit 1; }
{
    echo "[COMMANDS]"
    for command in $commands; do
        echo ".SS \"$command\""
        echo ".nf"
        # Verbatim text: backslashes escaped, minus signs that stay minus signs when copied, no
        # line taken for a roff request.
        "$cli" "$command" --help | sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\([.']\)/\\\\\&\1/"
        echo ".fi"
    done
} >"$out.tmp"
mv "$out.tmp" "$out"
