#!/usr/bin/env bash
# The bash completion of protmon-cli, sourced as bash-completion would: the words it offers after
# the tool's name, after a command and after options that take a value. Every command and option
# it offers must be one the tool accepts.
# Usage: bash completion.sh BUILD_DIR DATA_DIR
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

# shellcheck source=/dev/null
source "$build/bash-completion/protmon-cli"
complete -p protmon-cli >/dev/null || fail "the script registers no completion for protmon-cli"

# offered WORD... : the completion's words for a command line whose last word is being typed.
offered() {
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _protmon_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
# has LIST WORD...: every WORD is in LIST.
has() {
    local list=$1 word
    shift
    for word in "$@"; do
        grep -qx -- "$word" <<<"$list" || return 1
    done
}

commands=$(offered "")
has "$commands" info decode assemble capture || fail "after 'protmon-cli ': $(xargs <<<"$commands")"
for command in $commands; do
    "$cli" "$command" --help >/dev/null 2>&1 || fail "offered command '$command' is refused"
done
[ "$(offered dec)" = decode ] || fail "after 'protmon-cli dec': $(offered dec)"
[ "$(offered det)" = detect ] || fail "after 'protmon-cli det': $(offered det)"
has "$(offered --)" --help --version || fail "after 'protmon-cli --': $(offered -- | xargs)"

options=$(offered decode --)
has "$options" --hex --descriptions --language --include --exclude --search --help ||
    fail "after 'protmon-cli decode --': $(xargs <<<"$options")"
has "$options" --port && fail "capture's --port offered for decode"
# Every option offered after a lone dash is one the command knows (none taken from words of the
# help's prose such as "rx-errors" or record's "but --count, --seconds").
for command in info decode assemble capture record values stats export; do
    for option in $(offered "$command" -); do
        if grep -q "unknown option" <<<"$("$cli" "$command" "$option" x 2>&1)"; then
            fail "offered option '$option' is refused by $command"
        fi
    done
done
has "$(offered capture -)" -o --port --udp --lm-parity || fail "capture's options: $(offered capture - | xargs)"
has "$(offered record -)" --ring --port --lm-parity || fail "record's options: $(offered record - | xargs)"

# Values: choices listed in the help, file names, nothing for a number.
[ "$(offered capture --protocol "" | xargs)" = "din66019ii raw trx5" ] ||
    fail "after --protocol: $(offered capture --protocol "" | xargs)"
[ "$(offered capture --lm-parity o)" = odd ] || fail "after --lm-parity o"
touch "$work/Para0002.bin" "$work/rec.bu5"
[ "$(offered decode --descriptions "$work/Pa")" = "$work/Para0002.bin" ] ||
    fail "after --descriptions: $(offered decode --descriptions "$work/Pa")"
[ "$(offered decode --hex "$work/r")" = "$work/rec.bu5" ] || fail "input file not offered"
[ -z "$(offered capture --count "")" ] || fail "after --count: $(offered capture --count "" | xargs)"

finish "completion: ok"
