#!/usr/bin/env python3
"""Helpers of the scrape test, which talks to a Prometheus server over its HTTP API.

  prom_counts.py scrapes URL JOB
      how many samples of up{job=JOB} the server holds (0 before the first scrape)
  prom_counts.py compare URL STATS.json [TIME]
      compares requests, responses and unanswered requests per drive as the server has them
      with `protmon-cli stats --json` of the recorded file; prints the differences, status 1
  prom_counts.py series URL EXPR [TIME]
      how many series the instant query EXPR returns
TIME (Unix seconds) is when an instant query is evaluated, by default now: once a target is
gone, Prometheus marks its series stale and a query at a later time finds none.
  prom_counts.py value URL EXPR
      the value of the instant query EXPR, which gives one series (nan if none)
  prom_counts.py get URL
      prints the body of GET URL; status 1 unless it answers 200 within 5 s
"""
import json
import sys
import urllib.parse
import urllib.request

# stats --json key -> counter the recorder exports
COUNTERS = {
    "requests": "protmon_requests_total",
    "responses": "protmon_responses_total",
    "unanswered": "protmon_unanswered_requests_total",
}


def query(url, expr, at=None):
    fields = {"query": expr}
    if at:
        fields["time"] = at
    data = urllib.parse.urlencode(fields).encode()
    with urllib.request.urlopen(url + "/api/v1/query", data, timeout=10) as reply:
        answer = json.load(reply)
    if answer.get("status") != "success":
        raise RuntimeError(f"{expr}: {answer}")
    return answer["data"]["result"]


def scrapes(url, job):
    result = query(url, f'count_over_time(up{{job="{job}"}}[1h])')
    return int(float(result[0]["value"][1])) if result else 0


def compare(url, stats_path, at):
    with open(stats_path, encoding="utf-8") as f:
        stats = json.load(f)
    want = {}
    for drive in stats["drives"]:
        label = f"{drive['address']:02X}"
        for key in COUNTERS:
            want[(label, key)] = drive[key]
    got = {}
    for key, metric in COUNTERS.items():
        for series in query(url, f"sum by (drive) ({metric})", at):
            got[(series["metric"].get("drive", "?"), key)] = int(float(series["value"][1]))
    problems = []
    for k in sorted(set(want) | set(got)):
        # A counter the recorder never needed (no unanswered request to that drive) may be absent.
        if want.get(k, 0) != got.get(k, 0):
            problems.append(f"drive {k[0]} {k[1]}: stats {want.get(k)}, Prometheus {got.get(k)}")
    for p in problems:
        print(p)
    if not want:
        print("stats found no drive")
        return 1
    summary = ", ".join(f"{d} {want[(d, 'requests')]}/{want[(d, 'responses')]}/"
                        f"{want[(d, 'unanswered')]}" for d in sorted({d for d, _ in want}))
    print(f"drive requests/responses/unanswered: {summary}")
    return 1 if problems else 0


def main():
    command, url = sys.argv[1], sys.argv[2].rstrip("/")
    if command == "scrapes":
        print(scrapes(url, sys.argv[3]))
        return 0
    if command == "compare":
        return compare(url, sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else None)
    if command == "value":
        result = query(url, sys.argv[3])
        print(result[0]["value"][1] if len(result) == 1 else "nan")
        return 0
    if command == "get":
        try:
            with urllib.request.urlopen(url, timeout=5) as reply:
                sys.stdout.write(reply.read().decode())
            return 0
        except OSError:
            return 1
    if command == "series":
        print(len(query(url, sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else None)))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
