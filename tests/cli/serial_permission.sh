#!/usr/bin/env bash
# `capture --port` on a device the user may not open: the window's message, then what permission
# is missing and which group gives it. As root the tool runs as nobody, since root may open anything.
# Usage: bash serial_permission.sh BUILD_DIR DATA_DIR
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
chmod 755 "$work"
# A copy the unprivileged user can reach whatever the permissions of the build folder.
cp "$build/protmon-cli" "$work/protmon-cli"
device="$work/ttyTEST"
touch "$device"
run=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || { echo "setpriv missing: skipped"; exit 0; }
    run=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

# check MODE TEXT: the capture fails with status 1 and says TEXT after the window's message.
check() {
    chmod "$1" "$device"
    local status=0
    "${run[@]}" "$work/protmon-cli" capture --port "$device" --count 1 >/dev/null 2>"$work/err" ||
        status=$?
    [ "$status" = 1 ] || fail "mode $1: status $status"
    grep -qx "protmon-cli: Serial interface not available" "$work/err" || fail "mode $1: $(cat "$work/err")"
    grep -qF "protmon-cli: you lack permission to open $device. $2" "$work/err" ||
        fail "mode $1: $(cat "$work/err")"
}
group=$(stat -c %G "$device")
hidden="Its group '$group' may not read and write it either. Serial devices usually belong to the group 'dialout'"
if [ "$(id -u)" = 0 ]; then
    check 660 "It belongs to the group '$group'; membership of that group gives it: sudo usermod -aG $group"
    check 600 "$hidden"
else
    # The owner may open a file of mode 600; of mode 000 not even the owner.
    check 000 "$hidden"
fi
echo "serial_permission: ok"
