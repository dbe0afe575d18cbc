#!/usr/bin/env bash
# The mutation runner: every catalogued fault (tests/mutants/*.txt) applied in turn to a scratch
# copy of the tree, each reported as caught by a test, SURVIVED or NOT FOUND. See scripts/mutants.py.
#   bash scripts/mutants.sh              the whole catalogue
#   bash scripts/mutants.sh --sample     an entry for every file the catalogue names (the test command runs it)
#   bash scripts/mutants.sh --only ID    one entry (or several, comma-separated)
#   bash scripts/mutants.sh --self-test  the runner's own checks
#   bash scripts/mutants.sh --check      every snippet still in its file, without a build
set -euo pipefail
exec python3 "$(dirname "$0")/mutants.py" "$@"
