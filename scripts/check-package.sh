#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, checks what it installed, and removes
# it again together with any package apt pulled in for it. The removal runs on every exit, so a
# failed check leaves no protmon behind either (one left by an earlier run is removed as well).
# Usage: bash scripts/check-package.sh [BUILD_DIR]    (as root, or with sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
apt=("${sudo_cmd[@]}" apt-get -y -q -o DPkg::Lock::Timeout=600)
fail() { echo "check-package: FAIL: $*" >&2; exit 1; }
installed() { grep -q "ok installed" <<<"$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)"; }

make package BUILD_DIR="$build"
mapfile -t debs < <(ls -t "$build"/protmon_*.deb)
[ ${#debs[@]} -ge 1 ] || fail "no $build/protmon_*.deb"
deb=$(realpath "${debs[0]}")
echo "check-package: $deb"

if installed protmon; then
    echo "check-package: protmon $(dpkg-query -W -f='${Version}' protmon) is installed; removing it first"
    "${apt[@]}" remove protmon
fi
# What apt would add besides protmon; removed again afterwards.
extra=$("${apt[@]}" install -s "$deb" | awk '$1 == "Inst" && $2 != "protmon" { print $2 }' | xargs)
cleanup() {
    local status=$?
    if dpkg-query -W protmon >/dev/null 2>&1; then
        "${apt[@]}" purge protmon >/dev/null || status=1
    fi
    if [ -n "$extra" ]; then
        # shellcheck disable=SC2086
        "${apt[@]}" purge $extra >/dev/null || status=1
    fi
    exit "$status"
}
trap cleanup EXIT
[ -z "$extra" ] || echo "check-package: apt adds $extra for it"
"${apt[@]}" install "$deb"
installed protmon || fail "protmon not installed"
version=$(dpkg-query -W -f='${Version}' protmon)
# Here-strings, not pipes into grep -q: with pipefail an early grep exit would fail the writer.
grep -q "libc6" <<<"$(dpkg-query -W -f='${Depends}' protmon)" || fail "no shared-library dependencies"

# The programs from /usr/bin, with the package's version.
[ "$(/usr/bin/protmon-cli --version)" = "protmon-cli $version" ] || fail "protmon-cli --version"
[ "$(QT_QPA_PLATFORM=offscreen /usr/bin/protmon --version)" = "protmon $version" ] ||
    fail "protmon --version"
/usr/bin/lmsim --help >/dev/null || fail "lmsim --help"
/usr/bin/mkparafile --help >/dev/null || fail "mkparafile --help"

# The installed sample: the recording decodes with the installed description set as in the tests.
share=/usr/share/protmon
LC_ALL=C /usr/bin/protmon-cli decode --descriptions "$share/Para0001.bin" --language d \
    "$share/para_sample.bu5" | diff -q - tests/data/para_stream.decode-para-d.txt >/dev/null ||
    fail "decoding the installed sample"

for page in protmon protmon-cli lmsim mkparafile; do
    man -w "$page" >/dev/null || fail "no man page for $page"
done
desktop-file-validate /usr/share/applications/protmon.desktop || fail "desktop entry"
grep -q "PNG image data, 256 x 256" <<<"$(file /usr/share/icons/hicolor/256x256/apps/protmon.png)" ||
    fail "256 px icon"
[ -f /usr/share/icons/hicolor/scalable/apps/protmon.svg ] || fail "scalable icon"
# The installed completion finds the installed tool by its name.
words=$(bash -c 'source /usr/share/bash-completion/completions/protmon-cli
    COMP_WORDS=(protmon-cli decode --); COMP_CWORD=2; _protmon_cli; echo "${COMPREPLY[*]}"')
[[ " $words " == *" --descriptions "* ]] || fail "installed completion offers: $words"
listed=$(dpkg -L protmon)
if [ -f contrib/wireshark/protmon.lua ]; then
    grep -q '/wireshark/plugins/protmon.lua$' <<<"$listed" || fail "no Wireshark dissector"
fi
if grep -q '/wireshark/plugins/[0-9.]*/epan/protmon.so$' <<<"$listed"; then
    # Wireshark loads the installed dissector by itself: its texts are decode's.
    sample=$(mktemp --suffix=.pcapng)
    /usr/bin/protmon-cli export --format pcapng "$share/para_sample.bu5" -o "$sample"
    tshark -r "$sample" -T fields -e protmon.function 2>/dev/null |
        diff -q - <(LC_ALL=C /usr/bin/protmon-cli decode "$share/para_sample.bu5" | cut -f3) \
            >/dev/null || fail "installed Wireshark dissector"
    rm -f "$sample"
fi
if [ -f src/app/protmon-cli/cmd_extcap.cpp ]; then
    grep -q '/wireshark/extcap/protmon-extcap$' <<<"$listed" || fail "no Wireshark extcap"
fi
if [ -f "contrib/systemd/protmon-record@.service" ]; then
    grep -q '/systemd/system/protmon-record@.service$' <<<"$listed" || fail "no systemd unit"
fi

# Removal leaves nothing of the package.
mapfile -t files < <(while read -r f; do [ -f "$f" ] && echo "$f"; done <<<"$listed")
"${apt[@]}" remove protmon
if grep -q "config-files" <<<"$(dpkg-query -W -f='${Status}' protmon 2>/dev/null)"; then
    "${apt[@]}" purge protmon
fi
dpkg -s protmon >/dev/null 2>&1 && fail "protmon still known to dpkg after removal"
for f in "${files[@]}"; do
    [ ! -e "$f" ] || fail "$f left after removal"
done
[ ! -e "$share" ] || fail "$share left after removal"
echo "check-package: protmon $version installed, checked and removed"
