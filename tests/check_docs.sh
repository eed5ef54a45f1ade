#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Keeps the documentation honest: runs every script example of the README and
# docs/ with the built workbench, as a reader would copy it.
#   tests/check_docs.sh WORKBENCH SOURCE_DIR
# A fenced block marked ```wbs is a script and must run without an error; a
# ```output block after it, before any other fenced block, is what the
# script prints, and must match line for line. Every docs/*.wbs runs too.
set -euo pipefail
workbench=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Splits FILE into work/N.wbs (+ work/N.out) and work/N.where ("FILE:LINE").
split_blocks() {
  awk -v dir="$work" -v file="$1" -v first="$2" '
    function close_block() { if (out != "") close(out); out = "" }
    BEGIN { n = first; state = "text" }
    state == "text" && /^```wbs[[:space:]]*$/ {
      n++; out = dir "/" n ".wbs"; printf "" > out
      print file ":" NR > (dir "/" n ".where"); close(dir "/" n ".where")
      state = "script"; next }
    state == "text" && /^```output[[:space:]]*$/ && after_script {
      out = dir "/" n ".out"; printf "" > out; state = "output"; next }
    state == "text" && /^```/ { state = "other"; after_script = 0; next }
    (state == "script" || state == "output") && /^```[[:space:]]*$/ {
      close_block(); after_script = (state == "script"); state = "text"; next }
    state == "other" && /^```[[:space:]]*$/ { state = "text"; next }
    state == "script" || state == "output" { print > out }
    END { print n > (dir "/count") }
  ' "$source_dir/$1"
}

count=0
for doc in README.md docs/*.md; do
  [ -f "$source_dir/$doc" ] || continue
  split_blocks "$doc" "$count"
  count=$(cat "$work/count")
done
for example in "$source_dir"/docs/*.wbs; do
  [ -f "$example" ] || continue
  count=$((count + 1))
  cp "$example" "$work/$count.wbs"
  echo "docs/${example##*/}" >"$work/$count.where"
done

for ((n = 1; n <= count; n++)); do
  where=$(cat "$work/$n.where")
  mkdir -p "$work/run$n"
  if ! (cd "$work/run$n" && "$workbench" --script "$work/$n.wbs" >"$work/$n.got" 2>"$work/$n.err"); then
    echo "$where: the example fails:"
    cat "$work/$n.err"
    failures=$((failures + 1))
  elif [ -f "$work/$n.out" ] && ! diff -u "$work/$n.out" "$work/$n.got" >"$work/$n.diff"; then
    echo "$where: the example prints something else than the text shows:"
    cat "$work/$n.diff"
    failures=$((failures + 1))
  fi
done
echo "$count examples, $failures failing"
[ "$failures" -eq 0 ]
