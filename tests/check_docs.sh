#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Keeps the documentation honest: runs every script example of the README and
# docs/ with the built workbench, as a reader would copy it.
#   tests/check_docs.sh WORKBENCH SOURCE_DIR
# A fenced block marked ```wbs is a script and must run without an error; a
# ```output block after it, before any other fenced block, is what the
# script prints, and must match line for line. A block marked ```xml is a
# product file: the workbench must read it and open its variant's tool on
# it. Every docs/*.wbs runs too, and every relative link must lead somewhere.
set -euo pipefail
workbench=$(realpath "$1")
source_dir=$(realpath "$2")
cd "$source_dir" # the globs below name the documents from here
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Splits FILE into work/N.wbs (+ work/N.out) or work/N.xml, and work/N.where
# ("FILE:LINE").
split_blocks() {
  awk -v dir="$work" -v file="$1" -v first="$2" '
    function close_block() { if (out != "") close(out); out = "" }
    BEGIN { n = first; state = "text" }
    state == "text" && /^```wbs[[:space:]]*$/ {
      n++; out = dir "/" n ".wbs"; printf "" > out
      print file ":" NR > (dir "/" n ".where"); close(dir "/" n ".where")
      state = "script"; next }
    state == "text" && /^```xml[[:space:]]*$/ {
      n++; out = dir "/" n ".xml"; printf "" > out
      print file ":" NR > (dir "/" n ".where"); close(dir "/" n ".where")
      state = "product"; next }
    state == "text" && /^```output[[:space:]]*$/ && after_script {
      out = dir "/" n ".out"; printf "" > out; state = "output"; next }
    state == "text" && /^```/ { state = "other"; after_script = 0; next }
    (state == "script" || state == "output" || state == "product") && /^```[[:space:]]*$/ {
      close_block(); after_script = (state == "script"); state = "text"; next }
    state == "other" && /^```[[:space:]]*$/ { state = "text"; next }
    state == "script" || state == "output" || state == "product" { print > out }
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
  # A product file: the workbench reads it and opens its tool on it.
  if [ -f "$work/$n.xml" ]; then
    variant=$(sed -nE 's/.*<product [^>]*variant="([0-9]+)".*/\1/p' "$work/$n.xml" | head -n 1)
    printf 'product %s\nopen\nshow\n' "$variant" >"$work/$n.wbs"
    if ! (cd "$work/run$n" && "$workbench" --product-file "$work/$n.xml" --script "$work/$n.wbs" \
      >"$work/$n.got" 2>"$work/$n.err"); then
      echo "$where: the product file does not open:"
      cat "$work/$n.err"
      failures=$((failures + 1))
    fi
    continue
  fi
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
# Every relative link of the README and docs/ leads to a file that is there,
# and a link to a section (#name) to a heading of that file, named as the
# repository page names its headings.
headings() { # FILE -> the anchor of each heading outside fenced blocks
  awk '/^```/ { fenced = !fenced; next }
       !fenced && /^#+ / { sub(/^#+ +/, ""); $0 = tolower($0)
                           gsub(/[^a-z0-9 _-]/, ""); gsub(/ /, "-"); print }' "$1"
}
links=0
for doc in README.md docs/*.md; do
  [ -f "$source_dir/$doc" ] || continue
  while IFS=$'\t' read -r line target; do
    links=$((links + 1))
    file=${target%%#*}
    anchor=${target#"$file"}
    anchor=${anchor#\#}
    path=$source_dir/$doc
    [ -n "$file" ] && path=$(dirname "$source_dir/$doc")/$file
    if [ ! -e "$path" ]; then
      echo "$doc:$line: the link to \"$target\" leads nowhere"
      failures=$((failures + 1))
    elif [ -n "$anchor" ] && ! headings "$path" | grep -xF -- "$anchor" >/dev/null; then
      echo "$doc:$line: the link to \"$target\" names a section that is not there"
      failures=$((failures + 1))
    fi
  done < <(awk '/^```/ { fenced = !fenced; next }
                !fenced { rest = $0
                  while (match(rest, /\]\([^)]+\)/)) {
                    target = substr(rest, RSTART + 2, RLENGTH - 3); rest = substr(rest, RSTART + RLENGTH)
                    if (target !~ /^[a-z]+:/) print NR "\t" target } }' "$source_dir/$doc")
done

# Each section of docs/figures.md is what scripts/figures.sh wrote: a run's
# output under the stamp that says which run.
if [ -f "$source_dir/docs/figures.md" ]; then
  unstamped=$(awk '/^## / { if (heading != "") print heading; heading = $0; next }
                   heading != "" && /^Written by `/ { heading = "" }
                   END { if (heading != "") print heading }' "$source_dir/docs/figures.md")
  if [ -n "$unstamped" ]; then
    echo "docs/figures.md: sections not written by scripts/figures.sh: $unstamped"
    failures=$((failures + 1))
  fi
fi

echo "$count examples, $links links, $failures failing"
[ "$failures" -eq 0 ]
