#!/usr/bin/env bash
# Runs every example program on its built-in sample data.
set -euo pipefail
build=${1:-build}
for program in "$build"/examples/korvel_example_*; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program" | sed 's/^korvel_example_//')"
  "$program"
  echo
done
