#!/usr/bin/env bash
# A plant on one machine: BOXES simulated line monitors at RATE frames/s, one recorder with
# --metrics each, one Prometheus scraping them all every second, for SECONDS; then one recorder at
# FAST_RATE frames/s scraped every 100 ms. Prints Markdown tables: per recorder frames sent,
# recorded, dropped and lost, CPU and peak RSS; Prometheus' scrape durations and its own CPU and
# RSS; the machine's load. Not run by ctest.
# Usage: bash bench/plant.sh BUILD_DIR [--seconds S] [--boxes N] [--rate R] [--fast-rate R]
#                                      [--fast-interval S]
set -uo pipefail
build=$1
shift
seconds=60 boxes=10 rate=2000 fast_rate=20000 fast_interval=0.1
while [ $# -gt 0 ]; do
    case $1 in
    --seconds) seconds=$2 ;;
    --boxes) boxes=$2 ;;
    --rate) rate=$2 ;;
    --fast-rate) fast_rate=$2 ;;
    --fast-interval) fast_interval=$2 ;;
    *) echo "unknown option $1" >&2 && exit 2 ;;
    esac
    shift 2
done
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prom_py="$here/../tests/prometheus/prom_counts.py"
work=$(mktemp -d)
pids=()
stop_all() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT
tck=$(getconf CLK_TCK)

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
peak_rss_mib() { awk '/^VmHWM:/ {printf "%.1f", $2 / 1024}' "/proc/$1/status"; }
busy_ticks() { awk '/^cpu / {print $2 + $3 + $4 + $7 + $8}' /proc/stat; }
# value EXPR: the one number the Prometheus query EXPR gives.
value() { python3 "$prom_py" value "$prom" "$1"; }
# metric PORT NAME: the sum of NAME's samples in the recorder's exposition.
metric() {
    python3 "$prom_py" get "http://127.0.0.1:$1/metrics" |
        awk -v n="$2" '$1 == n || index($1, n "{") == 1 {s += $NF} END {print s + 0}'
}

# run NAME COUNT RATE INTERVAL SECONDS: COUNT boxes at RATE, scraped every INTERVAL s.
run() {
    local name=$1 count=$2 r=$3 interval=$4 secs=$5 i
    local frames=$((r * secs)) mports=() lm=() rec=() t0=() timeout=$((secs + 60))
    local prom_port
    prom_port=$(free_port)
    prom="http://127.0.0.1:$prom_port"
    # Prometheus takes whole numbers of a unit: the interval in ms, the timeout 90 % of it.
    local interval_ms
    interval_ms=$(python3 -c "print(round(float($interval) * 1000))")
    {
        echo "global: {scrape_interval: ${interval_ms}ms, evaluation_interval: 1s}"
        echo "scrape_configs:"
        echo "  - job_name: protmon"
        echo "    scrape_timeout: $((interval_ms * 9 / 10))ms"
        echo "    static_configs:"
    } >"$work/$name.yml"
    for ((i = 1; i <= count; i++)); do
        mports[i]=$(free_port)
        echo "      - {targets: ['127.0.0.1:${mports[i]}'], labels: {line: '$name-$i'}}" >>"$work/$name.yml"
    done
    prometheus --config.file="$work/$name.yml" --storage.tsdb.path="$work/$name-tsdb" \
        --web.listen-address="127.0.0.1:$prom_port" --log.level=warn >"$work/$name-prom.log" 2>&1 &
    local prom_pid=$!
    pids+=("$prom_pid")
    for _ in $(seq 300); do python3 "$prom_py" get "$prom/-/ready" >/dev/null && break; sleep 0.1; done
    python3 "$prom_py" get "$prom/-/ready" >/dev/null || {
        cat "$work/$name-prom.log" >&2
        return 1
    }
    local load_before busy0 wall0
    load_before=$(cut -d' ' -f1-3 /proc/loadavg)
    for ((i = 1; i <= count; i++)); do
        "$build/lmsim" --udp 0 --rate "$r" --count "$frames" --seed "$i" >"$work/$name-lm$i.out" 2>&1 &
        lm[i]=$!
        pids+=("${lm[i]}")
    done
    for ((i = 1; i <= count; i++)); do
        for _ in $(seq 100); do [ -s "$work/$name-lm$i.out" ] && break; sleep 0.05; done
        "$build/protmon-cli" record --udp "127.0.0.1:$(head -n 1 "$work/$name-lm$i.out")" \
            -o "$work/$name-rec$i" --quiet --file-seconds 3600 --status-interval 1 \
            --metrics "127.0.0.1:${mports[i]}" 2>"$work/$name-rec$i.err" &
        rec[i]=$!
        pids+=("${rec[i]}")
        t0[i]=$(cpu_ticks "${rec[i]}")
    done
    local prom_t0 start
    prom_t0=$(cpu_ticks "$prom_pid")
    busy0=$(busy_ticks)
    start=$(date +%s.%N)
    # Until every recorder has recorded or counted as dropped all frames (or the time is up).
    for _ in $(seq $((timeout * 2))); do
        local done_count=0
        for ((i = 1; i <= count; i++)); do
            # The status line is cheaper to read than a scrape.
            [ "$(tail -n 1 "$work/$name-rec$i.err" |
                sed -n 's/^Recording: \([0-9]*\) entries, .*, \([0-9]*\) dropped,.*/\1 + \2/p' |
                xargs -r expr)" -ge "$frames" ] 2>/dev/null && done_count=$((done_count + 1))
        done
        [ "$done_count" = "$count" ] && break
        sleep 0.5
    done
    wall0=$(python3 -c "import time; print(time.time() - $start)")
    local busy1 t1=() prom_t1
    busy1=$(busy_ticks)
    prom_t1=$(cpu_ticks "$prom_pid")
    for ((i = 1; i <= count; i++)); do t1[i]=$(cpu_ticks "${rec[i]}"); done
    sleep 2 # two more scrapes of the final counts
    echo
    echo "### $name: $count recorder(s) at $r frames/s for $secs s, scraped every $interval s"
    echo
    # lost: sent but not recorded; unreported: lost without a drop counted for it.
    echo "| line | sent | recorded | dropped (ring/system) | lost | unreported | CPU % | peak RSS MiB |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|"
    local total_lost=0
    for ((i = 1; i <= count; i++)); do
        local got ring sys cpu
        got=$(metric "${mports[i]}" protmon_entries_recorded_total)
        ring=$(metric "${mports[i]}" 'protmon_frames_dropped_total{reason="ring_full"}')
        sys=$(metric "${mports[i]}" 'protmon_frames_dropped_total{reason="system"}')
        cpu=$(python3 -c "print(f'{(${t1[i]} - ${t0[i]}) / $tck / $wall0 * 100:.1f}')")
        echo "| $name-$i | $frames | $got | $ring/$sys | $((frames - got)) |" \
            "$((frames - got - ring - sys)) | $cpu | $(peak_rss_mib "${rec[i]}") |"
        total_lost=$((total_lost + frames - got))
    done
    local q="scrape_duration_seconds{job=\"protmon\"}[$((secs + 30))s]"
    echo
    echo "Prometheus: $(value "count(count_over_time($q))") targets, $(value "sum(count_over_time($q))") scrapes;" \
        "scrape duration median $(value "quantile(0.5, quantile_over_time(0.5, $q)) * 1000" | xargs printf '%.2f') ms," \
        "p99 $(value "max(quantile_over_time(0.99, $q)) * 1000" | xargs printf '%.2f') ms," \
        "max $(value "max(max_over_time($q)) * 1000" | xargs printf '%.2f') ms;" \
        "failed scrapes $(value "sum(count_over_time(up{job=\"protmon\"}[$((secs + 30))s]) - sum_over_time(up{job=\"protmon\"}[$((secs + 30))s]))" | xargs printf '%.0f');" \
        "own CPU $(python3 -c "print(f'{($prom_t1 - $prom_t0) / $tck / $wall0 * 100:.1f}')") %," \
        "peak RSS $(peak_rss_mib "$prom_pid") MiB"
    echo "Machine: $(nproc) cores, busy $(python3 -c "print(f'{($busy1 - $busy0) / $tck / $wall0 / $(nproc) * 100:.0f}')") %" \
        "over the $(printf '%.1f' "$wall0") s, load average before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg);" \
        "frames lost in all: $total_lost"
    stop_all
}

run plant "$boxes" "$rate" 1 "$seconds"
run fast 1 "$fast_rate" "$fast_interval" "$seconds"
