#!/usr/bin/env bash
# Builds the Debian package of the build folder (release/deb) into a
# temporary folder and checks what a colleague would install: its name, its
# contents (programs executable under usr/bin, gzipped manuals under
# usr/share/man/man1, the copyright file and changelog), a dependency on libc
# alone, Debian's package checker where it is installed, and that the packed
# programs still run. Nothing is installed on this system.
#
# Usage: deb_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: deb_test.sh BUILD_DIR SOURCE_DIR"; exit 2; }
build=$(cd "$1" && pwd) || exit 1
sample=$(cd "$2" && pwd)/examples/board.txt || exit 1

. "$(dirname "$0")/../lib.sh" || exit 1

source=$(cd "$2" && pwd)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! "$source/release/deb" "$build" "$tmp/out" >"$tmp/deb.log" 2>&1; then
    cat "$tmp/deb.log"
    echo "FAIL: release/deb failed"
    exit 1
fi
debs=("$tmp"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: expected one .deb in the output folder, found: ${debs[*]}"
    exit 1
fi
deb=${debs[0]}
echo "built $(basename "$deb")"

[ "$(dpkg-deb -f "$deb" Package)" = bomtables ] || fail "package name is not bomtables"

# Depends must name libc6 and nothing else (version constraints allowed).
depends=$(dpkg-deb -f "$deb" Depends)
names=$(echo "$depends" | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' | grep -v '^$' | sort -u)
[ "$names" = libc6 ] || fail "Depends names more or other than libc6: $depends"

listing=$(dpkg-deb -c "$deb") || { echo "FAIL: dpkg-deb -c failed"; exit 1; }
for program in bomtab rowcast bomgrid; do
    grep -Eq "^-rwxr-xr-x root/root .* \./usr/bin/$program\$" <<<"$listing" \
        || fail "no executable ./usr/bin/$program owned by root"
    grep -Eq " \./usr/share/man/man1/$program\.1\.gz\$" <<<"$listing" \
        || fail "no manual ./usr/share/man/man1/$program.1.gz"
done
for doc in copyright changelog.gz; do
    grep -Eq " \./usr/share/doc/bomtables/$doc\$" <<<"$listing" || fail "no ./usr/share/doc/bomtables/$doc"
done
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" || fail "lintian found errors or warnings"
elif [ -n "${CI:-}" ]; then
    fail "lintian not found (Debian: lintian)"
else
    echo "lintian not found: the package checker is skipped"
fi

# The packed (stripped) programs still convert the sample.
dpkg-deb -x "$deb" "$tmp/root" || { echo "FAIL: dpkg-deb -x failed"; exit 1; }
bin=$tmp/root/usr/bin
printf '"Part","Value"\n"C1","100nF"\n' >"$tmp/parts.csv"
"$bin/bomtab" --i "$sample" --html "$tmp/board.html" >/dev/null || fail "packed bomtab failed"
"$bin/rowcast" --i "$tmp/parts.csv" --wiki "$tmp/parts.wiki" --md "$tmp/parts.md" >/dev/null || fail "packed rowcast failed"
"$bin/bomgrid" "$sample" "$tmp/grid.html" >/dev/null || fail "packed bomgrid failed"
grep -qs '^<tr><td>C1 ' "$tmp/board.html" || fail "packed bomtab wrote no part row"
grep -qs '^|C1||100nF$' "$tmp/parts.wiki" || fail "packed rowcast wrote no row"
grep -qsx '| C1 | 100nF |' "$tmp/parts.md" || fail "packed rowcast wrote no Markdown row"
grep -qs '^<tr><td>C1 ' "$tmp/grid.html" || fail "packed bomgrid wrote no part row"

finish "$(basename "$deb"): all checks passed"
