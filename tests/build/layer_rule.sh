#!/usr/bin/env bash
# The configure step's layer rule, run in CMake's script mode on small trees: each row is a core
# file's include and whether the rule lets it through.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# row INCLUDING_FOLDER INCLUDE_LINE EXPECT(ok|refused)
row() {
    local tree="$work/tree$RANDOM"
    mkdir -p "$tree/src/model" "$tree/src/files" "$tree/src/$1"
    printf '%s\n' "$2" >"$tree/src/$1/probe.h"
    cat >"$work/driver.cmake" <<DRIVER
cmake_minimum_required(VERSION 3.22)
set(CMAKE_SOURCE_DIR "$tree")
include("$source_dir/cmake/Layers.cmake")
set(PROTMON_CORE_LAYERS model files)
set(PROTMON_ALLOWED_model model)
set(PROTMON_ALLOWED_files files model)
protmon_check_layers()
DRIVER
    local got=ok
    cmake -P "$work/driver.cmake" >"$work/out" 2>&1 || got=refused
    if [ "$got" != "$3" ]; then
        echo "FAIL: src/$1 with '$2': expected $3, got $got" >&2
        cat "$work/out" >&2
        failures=$((failures + 1))
    fi
}

row files '#include "model/telegram_list.h"' ok
row files '#include <vector>' ok
row model '#include "files/monitor_file.h"' refused
row model '#include <QtCore/QString>' refused
row model '#include "ui/main_window.h"' refused
row files '#include "app/protmon-cli/commands.h"' refused

[ "$failures" = 0 ] || exit 1
echo "6 passed, 0 failed"
