#!/usr/bin/env bash
# lmsim documents every option in --help and refuses bad command lines with exit status 2.
set -u
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
keep_going=1

help=$("$lmsim" --help) || fail "--help failed"
for option in --udp --pty --operator --link-baud --refuse --silent --version-text --rate --count \
    --overrun-after --seed --bus-bytes --param-addresses --error-permille --bad-bcc-permille \
    --frames-per-datagram --help; do
    grep -q -- "$option" <<<"$help" || fail "--help does not document $option"
done

expect_status() { expect "$1" "" "$lmsim" "${@:2}"; }
expect_status 2                                    # no transport
expect_status 2 --udp                              # missing value
expect_status 2 --udp 70000
expect_status 2 --pty --rate fast
expect_status 2 --pty --bogus
expect_status 2 --pty --udp 0
expect_status 2 --pty --frames-per-datagram 0
expect_status 1 --udp 0 --bus-bytes /nonexistent/bus.bin
printf '0x10\nnot-an-address\n' >"$work/addresses.txt"
expect_status 1 --udp 0 --param-addresses "$work/addresses.txt"
finish ""
