#!/usr/bin/env bash
# lmsim documents every option in --help and refuses bad command lines with exit status 2.
set -u
build=$1
lmsim="$build/lmsim"
fail=0

help=$("$lmsim" --help) || { echo "--help failed"; fail=1; }
for option in --udp --pty --operator --link-baud --refuse --silent --version-text --rate --count \
    --overrun-after --seed --bus-bytes --param-addresses --error-permille --bad-bcc-permille \
    --frames-per-datagram --help; do
    grep -q -- "$option" <<<"$help" || { echo "--help does not document $option"; fail=1; }
done

expect_status() {
    local want=$1
    shift
    "$lmsim" "$@" >/dev/null 2>&1
    local got=$?
    if [ "$got" != "$want" ]; then
        echo "lmsim $*: exit status $got, expected $want"
        fail=1
    fi
}
expect_status 2                                    # no transport
expect_status 2 --udp                              # missing value
expect_status 2 --udp 70000
expect_status 2 --pty --rate fast
expect_status 2 --pty --bogus
expect_status 2 --pty --udp 0
expect_status 2 --pty --frames-per-datagram 0
expect_status 1 --udp 0 --bus-bytes /nonexistent/bus.bin
tmp=$(mktemp)
printf '0x10\nnot-an-address\n' >"$tmp"
expect_status 1 --udp 0 --param-addresses "$tmp"
rm -f "$tmp"
exit $fail
