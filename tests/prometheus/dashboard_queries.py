#!/usr/bin/env python3
"""Checks the Grafana dashboard: valid JSON without duplicate keys, unique panel ids, every
variable a query uses defined, and every query (panels and variables) valid PromQL for promtool.

Grafana's variables are replaced by values of the same kind first: a range for $__rate_interval and
its siblings, a plain label value for the dashboard's own ($line in =~"$line" stays a regex).
Usage: dashboard_queries.py DASHBOARD.json PROMTOOL
"""
import json
import re
import subprocess
import sys
import tempfile

RANGES = {"__rate_interval", "__interval", "__range"}
VARIABLE = re.compile(r"\$\{(\w+)(?::\w+)?\}|\$(\w+)")
LABEL_VALUES = re.compile(r"^\s*label_values\((.*),\s*\w+\s*\)\s*$", re.S)


def no_duplicates(pairs):
    keys = [k for k, _ in pairs]
    dup = {k for k in keys if keys.count(k) > 1}
    if dup:
        raise ValueError(f"duplicate keys {sorted(dup)}")
    return dict(pairs)


def all_panels(panels):
    for p in panels:
        yield p
        yield from all_panels(p.get("panels", []))


def queries(dash):
    """(where, expression) of every panel target and query variable."""
    for p in all_panels(dash.get("panels", [])):
        for t in p.get("targets", []):
            yield f"panel {p.get('id')} '{p.get('title')}' {t.get('refId')}", t.get("expr", "")
    for v in dash.get("templating", {}).get("list", []):
        if v.get("type") == "query":
            q = v.get("query")
            q = q.get("query", "") if isinstance(q, dict) else q or ""
            m = LABEL_VALUES.match(q)
            yield f"variable {v['name']}", m.group(1) if m else q


def main():
    path, promtool = sys.argv[1], sys.argv[2]
    problems = []
    with open(path, encoding="utf-8") as f:
        dash = json.load(f, object_pairs_hook=no_duplicates)
    ids = [p.get("id") for p in all_panels(dash.get("panels", []))]
    if len(ids) != len(set(ids)) or None in ids:
        problems.append(f"panel ids missing or not unique: {ids}")
    for p in all_panels(dash.get("panels", [])):
        if p.get("type") != "row" and not p.get("targets"):
            problems.append(f"panel {p.get('id')} '{p.get('title')}' has no query")
    defined = {v["name"] for v in dash.get("templating", {}).get("list", [])}

    rules = []
    for where, expr in queries(dash):
        if not expr.strip():
            problems.append(f"{where}: empty query")
            continue

        def value(m):
            name = m.group(1) or m.group(2)
            if name in RANGES:
                return "1m"
            if name not in defined:
                problems.append(f"{where}: variable ${name} is not defined")
            return "x"

        rules.append({"record": f"dashboard:query:{len(rules)}", "expr": VARIABLE.sub(value, expr),
                      "labels": {"where": where}})
    # JSON is YAML: promtool reads the file as it is.
    with tempfile.NamedTemporaryFile("w", suffix=".yml") as f:
        json.dump({"groups": [{"name": "dashboard", "rules": rules}]}, f, indent=1)
        f.flush()
        run = subprocess.run([promtool, "check", "rules", f.name], capture_output=True, text=True)
        if run.returncode != 0:
            names = "".join(f"  dashboard:query:{i} is {r['labels']['where']}\n" for i, r in enumerate(rules))
            problems.append("promtool rejects a query:\n" + run.stdout + run.stderr + names)
    for p in problems:
        print("FAIL:", p, file=sys.stderr)
    if problems:
        return 1
    print(f"{len(rules)} queries of {len(ids)} panels parse")
    return 0


if __name__ == "__main__":
    sys.exit(main())
