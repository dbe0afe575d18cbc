#!/usr/bin/env bash
# Every rule marker in the simulated Windows has a row in its table, and every row a marker.
# Prints "rules: N passed, M failed" (one check per id).
set -uo pipefail
cd "$(dirname "$0")/.."
python3 - <<'PY'
import pathlib, re, sys
sim = pathlib.Path("src/platform/sim")
rows = {}
for line in (sim / "RULES.md").read_text(encoding="utf-8").splitlines():
    m = re.match(r"^\|\s*([a-z0-9][a-z0-9-]*)\s*\|(.*)\|\s*$", line)
    if not m or m.group(1) == "id":
        continue
    cells = [c.strip() for c in m.group(2).split("|")]
    rows.setdefault(m.group(1), []).append(cells)
markers = {}
for f in sorted(sim.glob("*.[ch]*")):
    for n, line in enumerate(f.read_text(encoding="utf-8").splitlines(), 1):
        for rid in re.findall(r"//\s*rule:\s*([a-z0-9][a-z0-9-]*)", line):
            markers.setdefault(rid, []).append(f"{f.name}:{n}")
passed = failed = 0
for rid in sorted(set(rows) | set(markers)):
    problems = []
    if rid not in rows:
        problems.append("a marker without a row (" + ", ".join(markers[rid]) + ")")
    if rid not in markers:
        problems.append("a row without a marker")
    if len(rows.get(rid, [])) > 1:
        problems.append("more than one row")
    for cells in rows.get(rid, []):
        if len(cells) != 3 or not all(cells):
            problems.append("a row without its file, what it does and its source")
    if problems:
        failed += 1
        print(f"FAIL {rid}: " + "; ".join(problems))
    else:
        passed += 1
unverified = sum(1 for r in rows.values() for c in r if "UNVERIFIED" in c[-1])
print(f"{len(rows)} rules in the table, {unverified} unverified")
print(f"rules: {passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
PY
