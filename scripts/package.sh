#!/usr/bin/env bash
# Builds the Debian package and checks it: unpacks it into a temporary root,
# runs the README's example script with the unpacked workbench (which finds the
# unpacked plug-in and libraries by itself) and fails unless its output is the
# build tree's.
#   scripts/package.sh [BUILD_DIR]      (default: build; the package lands there)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}

scripts/install-deps.sh build package
scripts/build.sh "$dir"
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB > cpack.log 2>&1) || { cat "$dir/cpack.log" >&2; exit 1; }
package=$(ls "$dir"/*.deb)
echo "package: $package"
dpkg-deb --field "$package" Package Version Depends

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$package" "$root"

# The fenced block after "An example, a move on the Zell product:".
awk '/^An example, a move on the Zell product:/ { found = 1; next }
     found && /^```/ { if (inside) exit; inside = 1; next }
     inside { print }' README.md > "$root/example.wbs"
[ -s "$root/example.wbs" ] || { echo "package: no example script in README.md" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
run() { # WORKBENCH OUTPUT: the log lines on stderr only when it fails
  "$1" --script "$root/example.wbs" > "$2" 2> "$2.err" || { cat "$2.err" >&2; echo "package: $1 failed" >&2; exit 1; }
}
run "$dir/bin/workbench" "$root/build.out"
run "$root/usr/bin/workbench" "$root/package.out"
if ! diff -u "$root/build.out" "$root/package.out"; then
  echo "package: the unpacked workbench's output differs from the build tree's" >&2
  exit 1
fi
echo "package: the unpacked workbench runs the README example as the build tree does ($(wc -l < "$root/build.out") lines)"
