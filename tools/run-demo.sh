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
# The korvel command on a small order: XML text in, JSON out.
if [ -x "$build/bin/korvel" ]; then
  echo "== korvel convert --to json - -"
  "$build/bin/korvel" convert --to json - - <<'XML'
<po:order xmlns:po="urn:example:po" date="2026-12-05">
  <item sku="872-AA"><name>Lawnmower</name><quantity>1</quantity></item>
  <item sku="926-AA"><name>Baby Monitor</name><quantity>2</quantity></item>
</po:order>
XML
  echo
fi
