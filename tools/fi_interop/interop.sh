#!/bin/sh
# Round-trips a corpus through Fast Infoset both ways against an independent
# implementation: documents written here must decode there to the same infoset,
# and documents written there must read here to the same tree.
# Usage: interop.sh KORVEL_FI FI_TOOL_DIR CORPUS_DIR WORK_DIR
set -eu
korvel_fi=$1
fi_tool="$2/fi-tool.sh"
corpus=$3
work=$4
[ -x "$fi_tool" ] || { echo "interop: no fi-tool.sh in $2 (set FI_INTEROP)" >&2; exit 2; }
rm -rf "$work"
mkdir -p "$work"

# A document with more than 1,100 distinct short values, each used twice, so
# that the character-chunk indexes reach their three-octet form.
{
  echo '<values>'
  for pass in 1 2; do
    i=0
    while [ $i -lt 1200 ]; do echo "<v>$i</v>"; i=$((i + 1)); done
  done
  echo '</values>'
} > "$work/many_values.xml"
"$fi_tool" gen-sample "$work/sample.xml" 3000

failed=0
check() {  # name expected actual
  if cmp -s "$2" "$3"; then
    echo "ok   $1"
  else
    echo "FAIL $1"
    diff "$2" "$3" | head -10
    failed=1
  fi
}

for xml in "$corpus"/*.xml "$work/many_values.xml" "$work/sample.xml"; do
  name=$(basename "$xml" .xml)
  rules=""
  [ -f "$corpus/$name.typed" ] && rules=$(cat "$corpus/$name.typed")
  # The document tree holds an element's text in one piece, so mixed content
  # is compared as the tree holds it: the original read here and written back.
  "$korvel_fi" decode "$xml" "$work/$name.tree.xml"
  "$fi_tool" dumpxml "$work/$name.tree.xml" --ignore-ws > "$work/$name.expected"
  "$fi_tool" dumpxml "$xml" --ignore-ws > "$work/$name.original"
  cmp -s "$work/$name.original" "$work/$name.expected" || echo "note $name: mixed content compared as one text per element"

  # Written here, read there.
  if [ -n "$rules" ]; then
    "$korvel_fi" encode "$xml" "$work/$name.korvel.fi" --typed "$rules"
  else
    "$korvel_fi" encode "$xml" "$work/$name.korvel.fi"
  fi
  # The listing shows uuids as 32 upper-case digits; written here they are
  # 8-4-4-4-12 lower case, as X.891 has them.
  "$fi_tool" dump "$work/$name.korvel.fi" --ignore-ws |
    sed -E 's/^T "([0-9A-F]{8})([0-9A-F]{4})([0-9A-F]{4})([0-9A-F]{4})([0-9A-F]{12})"$/T "\L\1-\2-\3-\4-\5"/' \
    > "$work/$name.there" || failed=1
  check "$name: written here, read there" "$work/$name.expected" "$work/$name.there"

  # Written there, read here, plain and gzip-compressed.
  if [ -n "$rules" ]; then
    "$fi_tool" encode "$xml" "$work/$name.java.fi" --typed "$rules" --chunk-max 7
  else
    "$fi_tool" encode "$xml" "$work/$name.java.fi" --chunk-max 7
  fi
  gzip -c "$work/$name.java.fi" > "$work/$name.java.fi.gz"
  for input in "$work/$name.java.fi" "$work/$name.java.fi.gz"; do
    "$korvel_fi" decode "$input" "$work/$name.here.xml" || failed=1
    "$fi_tool" dumpxml "$work/$name.here.xml" --ignore-ws > "$work/$name.here"
    check "$name: written there, read here ($(basename "$input"))" "$work/$name.expected" "$work/$name.here"
  done
done
# A document announcing an external vocabulary, which the other side knows
# (empty) under the same URI.
"$korvel_fi" encode "$corpus/namespaces.xml" "$work/vocabulary.korvel.fi" --vocab-uri urn:korvel:interop
"$fi_tool" dump "$work/vocabulary.korvel.fi" --ignore-ws --vocab-uri urn:korvel:interop \
  > "$work/vocabulary.there" || failed=1
check "namespaces: with an external vocabulary, read there" "$work/namespaces.expected" \
  "$work/vocabulary.there"
exit $failed
