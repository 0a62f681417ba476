#!/usr/bin/env bash
# Starts the program on its built-in default.
set -euo pipefail
build=${1:-build}
if [ -x "$build/protmon" ]; then
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found. Run the window under a virtual display:"
        echo "  xvfb-run -a $build/protmon"
        exit 1
    fi
    exec "$build/protmon" "$@"
fi
exec "$build/protmon-cli" --help
