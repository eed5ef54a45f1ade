#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package and checks it:
# - lintian reports nothing on it (an override only with its reason);
# - hardening-check passes on every ELF file in it;
# - the package's members are the same to the byte when it is made a second
#   time with the resource files touched (rcc rebuilds what holds them) and
#   under another umask: rcc's time stamps and the package's files take the
#   last commit's time (SOURCE_DATE_EPOCH), their modes are the build's own;
# - unpacked into a temporary root, its workbench, with the unpacked plug-in
#   and libraries, runs the script reference's example script and prints what the build
#   tree's does; its --version is the package's version; man reads its manual
#   page.
#   scripts/package.sh [BUILD_DIR]      (default: build; the package lands there)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}

scripts/install-deps.sh build package
# The package's files, and the time rcc stores for each resource file in the
# binaries, take the time of the last commit, so that the same tree gives the
# same package wherever and whenever it is checked out. rcc reads
# SOURCE_DATE_EPOCH; older ones only QT_RCC_SOURCE_DATE_OVERRIDE.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) \
    || { echo "package: not a git checkout; set SOURCE_DATE_EPOCH" >&2; exit 2; }
fi
export SOURCE_DATE_EPOCH QT_RCC_SOURCE_DATE_OVERRIDE=$SOURCE_DATE_EPOCH
# Compiled without ccache: an object ccache hands back keeps the source paths
# of the compile that made it, relative or not, which reach the debug
# information and so the build ID; compiled here, every object names its
# sources the same way in both runs below.
export CCACHE_DISABLE=1

# The files the .qrc files name. Touching them makes rcc run again on the
# next build; only its output is compiled again, and what links it linked
# again: a build from before the time was pinned cannot slip into the
# package, and the second package below, from files of another time, shows
# that their time does not reach it.
mapfile -t resources < <(find host plugin tools workbench -name '*.qrc' | sort | while read -r qrc; do
  sed -n 's|.*<file[^>]*>\([^<]*\)</file>.*|\1|p' "$qrc" | sed "s|^|${qrc%/*}/|"
done)
[ ${#resources[@]} -gt 0 ] || { echo "package: no resource file found" >&2; exit 1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# The modes of the package's files come from the build (cmake/Install.cmake),
# whatever the umask; but the .deb's own members (control.tar.gz,
# data.tar.gz) take the umask's mode in its ar header, so the package kept is
# made under umask 0022.
makedeb() { # OUTPUT_DIR UMASK: cpack's log on stderr only when it fails
  rm -f "$dir"/*.deb
  (cd "$dir" && umask "$2" && cpack -G DEB > cpack.log 2>&1) || { cat "$dir/cpack.log" >&2; exit 1; }
  mkdir -p "$1"
  mv "$dir"/*.deb "$1/"
}
touch "${resources[@]}"
scripts/build.sh "$dir"
makedeb "$root/first" 0002
touch "${resources[@]}"
cmake --build "$dir" > "$dir/rebuild.log" 2>&1 || { cat "$dir/rebuild.log" >&2; exit 1; }
makedeb "$root/second" 0022
package=$(ls "$root"/second/*.deb)
first=$root/first/${package##*/}
if [ ! -f "$first" ] || [ "$(ar t "$first")" != "$(ar t "$package")" ]; then
  echo "package: the two runs give packages of different names or members" >&2
  exit 1
fi
for member in $(ar t "$package"); do
  if ! cmp <(ar p "$first" "$member") <(ar p "$package" "$member"); then
    echo "package: $member differs when the resource files are of another time or the umask is another" >&2
    exit 1
  fi
done
cp "$package" "$dir/"
package=$dir/${package##*/}
echo "package: $package (its members the same bytes from resource files of two times, under umask" \
  "0002 and 0022: sha256 $(sha256sum < "$package" | cut -c1-16)...)"
dpkg-deb --field "$package" Package Version Depends
version=$(dpkg-deb --field "$package" Version)

# Any tag fails, informational (-I), experimental (-E) and pedantic ones
# included; lintian's note that it runs as root (CI runs as root) is no tag
# and is left out.
findings=$(lintian --fail-on none -EIL +pedantic "$package" 2>&1 \
  | grep -v '^running with root privileges is not recommended!$' || true)
if [ -n "$findings" ]; then
  printf '%s\n' "$findings" >&2
  echo "package: lintian reports the above" >&2
  exit 1
fi
echo "package: lintian reports nothing"

dpkg -x "$package" "$root/unpacked"
unpacked=$root/unpacked
mapfile -t elves < <(find "$unpacked" -type f -exec sh -c 'head -c 4 "$1" | grep -q "ELF" && echo "$1"' _ {} \; | sort)
[ ${#elves[@]} -gt 0 ] || { echo "package: no ELF file in the package" >&2; exit 1; }
# Two checks are left to other means. Fortify: hardening-check wants a
# fortified call (__memcpy_chk) in each file, but the only calls the code
# makes are memcpy and memmove on buffers whose size the compiler cannot
# know, which _FORTIFY_SOURCE leaves as they are; so the compile database
# shows instead that every source of the package was compiled with it.
# Control-flow protection: the code is compiled with -fcf-protection, but a
# binary is marked as protected only when everything linked into it is, and
# Debian 12's C start files are not (its own /usr/bin/ls fails that check).
hardening-check --quiet --nofortify --nocfprotection "${elves[@]}" \
  || { echo "package: hardening-check fails on the above" >&2; exit 1; }
unfortified=$(sed -n 's/^ *"command": "\(.*\)",\{0,1\}$/\1/p' "$dir/compile_commands.json" \
  | grep -E -e "-c $(pwd)/(host|plugin|tools|workbench)/" | grep -c -v -e '-D_FORTIFY_SOURCE=2' || true)
[ "$unfortified" -eq 0 ] || { echo "package: $unfortified sources compiled without _FORTIFY_SOURCE" >&2; exit 1; }
echo "package: hardening-check passes on ${#elves[@]} ELF files; every source compiled with _FORTIFY_SOURCE=2"

# The fenced block after "An example, a move on the Zell product:".
awk '/^An example, a move on the Zell product:/ { found = 1; next }
     found && /^```/ { if (inside) exit; inside = 1; next }
     inside { print }' docs/scripts.md > "$root/example.wbs"
[ -s "$root/example.wbs" ] || { echo "package: no example script in docs/scripts.md" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
run() { # WORKBENCH OUTPUT: the log lines on stderr only when it fails
  "$1" --script "$root/example.wbs" > "$2" 2> "$2.err" || { cat "$2.err" >&2; echo "package: $1 failed" >&2; exit 1; }
}
# From an empty directory, so that nothing of the source or build tree helps.
mkdir "$root/empty"
(cd "$root/empty" && run "$OLDPWD/$dir/bin/positionmode-workbench" "$root/build.out")
(cd "$root/empty" && run "$unpacked/usr/bin/positionmode-workbench" "$root/package.out")
if ! diff -u "$root/build.out" "$root/package.out"; then
  echo "package: the unpacked workbench's output differs from the build tree's" >&2
  exit 1
fi
echo "package: the unpacked workbench runs the script reference's example as the build tree does ($(wc -l < "$root/build.out") lines)"

reported=$("$unpacked/usr/bin/positionmode-workbench" --version 2>/dev/null)
if [ "$reported" != "positionmode-workbench $version" ]; then
  echo "package: --version says \"$reported\", the package is version $version" >&2
  exit 1
fi
echo "package: --version says $reported"

manpage=$unpacked/usr/share/man/man1/positionmode-workbench.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$manpage" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "package: man warns about the manual page: $warnings" >&2; exit 1; }
MANWIDTH=80 man -l "$manpage" 2>/dev/null | grep -q '^NAME' || { echo "package: man cannot read $manpage" >&2; exit 1; }
echo "package: man reads the manual page ($(MANWIDTH=80 man -l "$manpage" 2>/dev/null | wc -l) lines)"
