#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the project's figures and writes them into docs/figures.md, which
# the guides link to: each section is the output of the run that measured it,
# stamped with the date, the commit and how busy the machine was, so that no
# figure in the documentation is a hand copy.
#   scripts/figures.sh [SECTION...]
# Sections (default: benchmarks cpu soak):
#   benchmarks  build/bin/bench_positionmode
#   cpu         scripts/cpu.sh (the window's CPU share under Xvfb)
#   soak        build/bin/bench_soak (long sessions, large inputs)
#   designer    the ramp designer's proof over random goals (tst_rampdesigner)
#   coverage    scripts/coverage.sh, its totals per part
#   ci          .ci/run on a fresh clone of HEAD: each step's time, and the
#               coverage totals of that run (replaces the coverage section)
# A section whose run fails is left as it was, and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
figures=docs/figures.md
[ $# -gt 0 ] || set -- benchmarks cpu soak
for section in "$@"; do
  case $section in
    benchmarks | cpu | soak | designer | coverage | ci) ;;
    *)
      echo "figures: unknown section \"$section\" (sections: benchmarks cpu soak designer coverage ci)" >&2
      exit 2
      ;;
  esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

stamp() { # COMMAND [clone] -> the line that says where a section's figures come from
  local commit load
  commit=$(git rev-parse --short HEAD)
  # A fresh clone measures HEAD; the working tree may hold more.
  [ "${2:-}" = clone ] || git diff --quiet HEAD -- . ':!docs' || commit="$commit with uncommitted changes"
  read -r load _ </proc/loadavg
  echo "Written by \`$1\` on $(date -u '+%Y-%m-%d %H:%M') UTC, commit $commit, on $(nproc) cores" \
    "(load average $load when it began)."
}

# Replaces the section NAME of docs/figures.md (or appends it) with a heading,
# the stamp and the text of BODY_FILE; the file is replaced whole.
put_section() { # NAME TITLE STAMP BODY_FILE
  local name=$1 title=$2 stamp_line=$3 body=$4 block=$work/block.md
  {
    echo "<!-- figures:$name -->"
    echo "## $title"
    echo
    echo "$stamp_line"
    echo
    echo '```text'
    cat "$body"
    echo '```'
    echo "<!-- /figures:$name -->"
  } >"$block"
  [ -f "$figures" ] || printf '%s\n' "# Figures" "" \
    "What the project's benchmarks, coverage and CI measured, each section written by" \
    "\`scripts/figures.sh\` from the run that measured it. How to read them, and the" \
    "aims: [Development guide](development.md)." >"$figures"
  awk -v name="$name" -v block="$block" '
    function emit() { while ((getline line < block) > 0) print line; close(block); done = 1 }
    $0 == "<!-- figures:" name " -->" { skipping = 1; emit(); next }
    skipping && $0 == "<!-- /figures:" name " -->" { skipping = 0; next }
    skipping { next }
    { print }
    END { if (!done) { print ""; emit() } }
  ' "$figures" >"$work/figures.md"
  mv "$work/figures.md" "$figures"
}

# The totals scripts/coverage.sh prints for each part, from its output.
coverage_totals() { # LOG
  grep -E '^== coverage of |^(lines|branches): |tests passed' "$1"
}

built=no
build_once() {
  [ "$built" = yes ] && return
  scripts/build.sh build >/dev/null
  built=yes
}

# A section that is a program's whole output.
measure() { # NAME TITLE PROGRAM
  local line
  line=$(stamp "$3")
  QT_QPA_PLATFORM=offscreen "$3" | tee "$work/$1.txt"
  put_section "$1" "$2" "$line" "$work/$1.txt"
}

for section in "$@"; do
  echo "== figures: $section =="
  out=$work/$section.txt
  case $section in
    benchmarks) build_once; measure benchmarks "Benchmarks" build/bin/bench_positionmode ;;
    cpu) measure cpu "The window's CPU share" scripts/cpu.sh ;;
    soak) build_once; measure soak "Long sessions and large inputs" build/bin/bench_soak ;;
    designer)
      build_once
      line=$(stamp "build/bin/tst_rampdesigner")
      QT_QPA_PLATFORM=offscreen build/bin/tst_rampdesigner everyProposalMakesItsDurationOrNamesTheLimitThatBinds \
        >"$work/designer.log" 2>&1 || { cat "$work/designer.log"; exit 1; }
      # "QINFO  : tst_RampDesigner::function(row) text" -> "row: text"
      sed -nE 's/^QINFO *: *[^(]*\(([^)]*)\) /\1: /p' "$work/designer.log" | tee "$out"
      put_section designer "The ramp designer's proof" "$line" "$out"
      ;;
    coverage)
      line=$(stamp "scripts/coverage.sh")
      scripts/coverage.sh | tee "$work/coverage.log"
      coverage_totals "$work/coverage.log" >"$out"
      put_section coverage "Coverage" "$line" "$out"
      ;;
    ci)
      line=$(stamp ".ci/run" clone)
      git clone --quiet "$root" "$work/clone"
      "$work/clone/.ci/run" 2>&1 | tee "$work/ci.log"
      grep -E '^== .*: [0-9]+ s ==$' "$work/ci.log" | sed -E 's/^== (.*): ([0-9]+) s ==$/\1: \2 s/' >"$out"
      echo "all steps: $(awk -F': ' '{ total += $2 } END { print total }' "$out") s" >>"$out"
      put_section ci "CI steps" "${line%.}, on a fresh clone of it." "$out"
      awk '/^== coverage ==$/, /^== coverage: [0-9]+ s ==$/' "$work/ci.log" >"$work/ci-coverage.log"
      coverage_totals "$work/ci-coverage.log" >"$work/coverage.txt"
      put_section coverage "Coverage" "${line%.}, on a fresh clone of it: its coverage step." "$work/coverage.txt"
      ;;
  esac
done
