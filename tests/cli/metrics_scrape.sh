#!/usr/bin/env bash
# A recorder with --metrics scraped by a real Prometheus on loopback: after the simulator's plant
# (silent drives, error answers, damaged block checks) has played a bounded run, the server holds
# per drive the request, response and unanswered counts that `stats --json` finds in the recorded
# file. The server also loads the shipped rules, and every protmon_ name the rules and the
# dashboard use is one the recorder exports.
# Usage: bash metrics_scrape.sh BUILD_DIR DATA_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$@"
source "$(dirname "${BASH_SOURCE[0]}")/record_helpers.bash"

contrib="$data/../../contrib"
prom_py="$data/../prometheus/prom_counts.py"
command -v prometheus >/dev/null || fail "prometheus is missing (scripts/install-deps.sh installs it)"
command -v python3 >/dev/null || fail "python3 is missing"

prom_pid=""
rec=""
# The server writes into $work: it and the recorder end before lib.sh removes the folder.
stop_all() {
    local p
    for p in "$prom_pid" "$rec"; do
        [ -n "$p" ] && kill "$p" 2>/dev/null && wait "$p" 2>/dev/null
    done
    cleanup
}
trap stop_all EXIT

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# until_true TRIES WHAT COMMAND...: runs COMMAND every 0.1 s until it succeeds.
until_true() {
    local tries=$1 what=$2
    shift 2
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what"
}

metrics_port=$(free_port)
prom_port=$(free_port)
prom="http://127.0.0.1:$prom_port"
cp "$contrib/prometheus/protmon.rules.yml" "$work/"
cat >"$work/prometheus.yml" <<EOT
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - protmon.rules.yml
scrape_configs:
  - job_name: protmon
    scrape_timeout: 900ms
    static_configs:
      - targets: ["127.0.0.1:$metrics_port"]
        labels:
          line: test
EOT
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
    --web.listen-address="127.0.0.1:$prom_port" --log.level=warn >"$work/prometheus.log" 2>&1 &
prom_pid=$!

frames=3000
start_lmsim --udp 0 --plant --rate 3000 --count "$frames" --seed 29
start_record plant --metrics "127.0.0.1:$metrics_port" --file-entries 100000
wait_entries "$work/plant.err" "$frames"

# The recorder counts a request still waiting for its response as unanswered once the line has
# been quiet for 2 s; after that, two more scrapes.
quiet() {
    python3 "$prom_py" get "http://127.0.0.1:$metrics_port/metrics" |
        awk '$1 == "protmon_seconds_since_last_telegram" && $2 >= 3 { q = 1 } END { exit !q }'
}
until_true 100 "the recorder does not report the quiet line" quiet
prom_up() { python3 "$prom_py" get "$prom/-/ready" >/dev/null; }
until_true 300 "Prometheus did not start: $(cat "$work/prometheus.log")" prom_up
seen=$(python3 "$prom_py" scrapes "$prom" protmon) || fail "Prometheus API"
two_more() { [ "$(python3 "$prom_py" scrapes "$prom" protmon)" -ge $((seen + 2)) ]; }
until_true 200 "Prometheus did not scrape twice more" two_more
# The queries look at this moment: the recorder ends before them, and its series go stale.
at=$(date +%s.%N)

python3 "$prom_py" get "http://127.0.0.1:$metrics_port/metrics" >"$work/metrics.txt" ||
    fail "GET /metrics"
[ "$(python3 "$prom_py" series "$prom" 'up{job="protmon", line="test"} == 1' "$at")" = 1 ] ||
    fail "the scrape failed: $(cat "$work/prometheus.log")"

# The rules run on the real series: one request rate per drive the recorder exports.
drives=$(grep -o '^protmon_requests_total{drive="[0-9A-F]*"' "$work/metrics.txt" | sort -u | wc -l)
[ "$drives" -gt 0 ] || fail "the recorder exports no request counts"
rule_rates() {
    [ "$(python3 "$prom_py" series "$prom" 'line_drive:protmon_requests:rate1m{line="test"}')" = "$drives" ]
}
until_true 100 "the recording rule has not one series for each of the $drives drives" rule_rates

end_record
rec=""
"$cli" stats --json "$work"/plant-*.bu5 >"$work/stats.json" || fail "stats of the recording"
python3 "$prom_py" compare "$prom" "$work/stats.json" "$at" || fail "Prometheus and stats differ"

# Names the rules and the dashboard ask for (a histogram by its _bucket series) are exported.
# Recorded series (level:name:operation) are the rules' own.
for name in $(grep -ho '[a-z_:]*protmon_[a-z_]*' "$contrib/prometheus/protmon.rules.yml" \
    "$contrib/grafana/protmon.json" | grep -v : | sort -u); do
    grep -q "^$name[{ ]" "$work/metrics.txt" || fail "$name is not exported"
done
