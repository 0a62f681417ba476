#!/usr/bin/env bash
# Installs the Debian packages the build needs; calls apt-get only when one is missing, and says
# which. `make ... NO_INSTALL=1` skips this script.
#
# The list is for Debian 12 (bookworm), the release of the development and CI machines: the
# versioned names (libclang-rt-14-dev, llvm-14) are bookworm's clang 14, which the fuzzing and
# sanitizer builds need beside its GCC 12. On a later release, change those two names together.
set -euo pipefail
packages=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev xvfb xauth clang
          libclang-rt-14-dev llvm-14
          help2man librsvg2-bin dpkg-dev file desktop-file-utils man-db tshark clang-format
          libwireshark-dev libglib2.0-dev libcpp-httplib-dev curl)
# Prometheus (with promtool) checks the alert rules and scrapes a recorder in the tests.
packages+=(prometheus)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "Debian packages: all ${#packages[@]} present"
    exit 0
fi
echo "Debian packages: installing the ${#missing[@]} missing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# tshark (the tests' independent pcapng reader) would ask whether users may capture; they only read.
echo "wireshark-common wireshark-common/install-setuid boolean false" |
    "${sudo_cmd[@]}" debconf-set-selections
"${sudo_cmd[@]}" apt-get update -qq
# Waits for another apt run (e.g. a second build on the same machine) instead of failing.
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
