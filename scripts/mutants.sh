#!/usr/bin/env bash
# The mutation runner: every catalogued fault (tests/mutants/*.txt) applied in turn to a scratch
# copy of the tree, each reported as caught by a test, SURVIVED or NOT FOUND. See scripts/mutants.py.
#   bash scripts/mutants.sh              the whole catalogue
#   bash scripts/mutants.sh --sample     the fixed tenth the test command runs
#   bash scripts/mutants.sh --only ID    one entry (or several, comma-separated)
#   bash scripts/mutants.sh --self-test  the runner's own checks
set -euo pipefail
exec python3 "$(dirname "$0")/mutants.py" "$@"
