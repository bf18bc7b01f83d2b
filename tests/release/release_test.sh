#!/usr/bin/env bash
# Checks a release folder as its users meet it: the checksums; Debian's package
# checker on each package; the amd64 package installed and removed again; the
# programs of every package and of the Windows zip (under qemu-user and Wine)
# converting the samples to the tables stored beside them; and the source
# tarball, unpacked in an empty folder, passing the README's two Quick start
# commands. With NODE_MODULES (a folder holding puppeteer-core), the page of
# the web zip is also tested in Chromium against the amd64 programs.
#
# It installs and removes the amd64 package on this system, so it runs in CI
# (.ci/run), as root, and not from ctest.
#
# Usage: tests/release/release_test.sh DIST_DIR [NODE_MODULES]
set -uo pipefail

[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: release_test.sh DIST_DIR [NODE_MODULES]"; exit 2; }
dist=$(cd "$1" && pwd) || exit 1
modules=${2:-}
. "$(dirname "$0")/../lib.sh" || exit 1
for tool in sha256sum lintian dpkg dpkg-deb readelf x86_64-w64-mingw32-objdump unzip wine qemu-aarch64 qemu-arm; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool not found"; exit 1; }
done
[ "$(id -u)" = 0 ] || { echo "FAIL: installing the package needs root"; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The artefacts, each once, and their checksums.
tarball=$(cd "$dist" && ls bomtables-*.tar.gz)
version=${tarball#bomtables-}
version=${version%.tar.gz}
name=bomtables-$version
expected="$name-web.zip
$name-windows-x86_64.zip
$name.tar.gz
bomtables_${version}_amd64.deb
bomtables_${version}_arm64.deb
bomtables_${version}_armhf.deb"
listed=$(awk '{print $2}' "$dist/SHA256SUMS" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || { fail "SHA256SUMS lists other files"; diff <(echo "$expected") <(echo "$listed"); }
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c SHA256SUMS"

for deb in "$dist"/*.deb; do
    lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian: $(basename "$deb")"
done

# The source: the commit's files, without .git, under one folder.
tar -tzf "$dist/$tarball" >"$tmp/listing" || fail "tar -t $tarball"
grep -v "^$name/" "$tmp/listing" && fail "entries outside $name/"
grep -E "^$name/(\.git/|build)" "$tmp/listing" && fail "a .git or build folder in the tarball"
mkdir "$tmp/source"
tar -xzf "$dist/$tarball" -C "$tmp/source"
examples=$tmp/source/$name/examples

# Converts the samples with the programs that RUN ... runs (the program's name
# follows), in a fresh folder, and compares every table with the stored one,
# each "\n" written as LINE_END.
check_samples() {
    local what=$1 line_end=$2
    shift 2
    local work=$tmp/work-$what
    mkdir "$work"
    cp "$examples/board.txt" "$examples/parts.csv" "$work/"
    (cd "$work" &&
        "$@" bomtab --i board.txt --html board.html --wiki board.wiki --md board.md &&
        "$@" bomgrid board.txt board-grid.html &&
        "$@" rowcast --i parts.csv --html parts.html --wiki parts.wiki --md parts.md) >"$work/console" 2>&1 ||
        { cat "$work/console"; fail "$what: a conversion failed"; return; }
    for table in board.html board.wiki board.md board-grid.html parts.html parts.wiki parts.md; do
        sed "s/\$/$line_end/" "$examples/$table" | cmp -s - "$work/$table" ||
            fail "$what: $table differs from examples/$table"
    done
    echo "$what: the samples convert to the stored tables"
}

# amd64: installed, used, removed.
deb=$dist/bomtables_${version}_amd64.deb
if dpkg -s bomtables >/dev/null 2>&1; then
    fail "bomtables is already installed here: the install test would remove it"
elif ! dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1; then
    cat "$tmp/dpkg.log"
    fail "dpkg -i $(basename "$deb")"
else
    installed() { "/usr/bin/$@"; }
    check_samples amd64 "" installed
    only_libc amd64 /usr/bin
    [ "$(man -w bomtab 2>/dev/null)" = /usr/share/man/man1/bomtab.1.gz ] || fail "man -w bomtab finds no installed manual"
    dpkg -r bomtables >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -r bomtables"; }
    for path in /usr/bin/bomtab /usr/bin/rowcast /usr/bin/bomgrid /usr/share/doc/bomtables /usr/share/man/man1/bomtab.1.gz; do
        [ ! -e "$path" ] || fail "$path is left after dpkg -r"
    done
fi

# arm64 and armhf: unpacked and run under qemu-user.
for pair in arm64:aarch64:aarch64-linux-gnu armhf:arm:arm-linux-gnueabihf; do
    IFS=: read -r arch qemu triplet <<<"$pair"
    root=$tmp/root-$arch
    dpkg-deb -x "$dist/bomtables_${version}_$arch.deb" "$root" || { fail "dpkg-deb -x $arch"; continue; }
    emulated() { "qemu-$qemu" -L "/usr/$triplet" "$root/usr/bin/$@"; }
    only_libc "$arch" "$root/usr/bin"
    check_samples "$arch" "" emulated
done

# Windows: the zip unpacked, its programs run under Wine in its folder.
unzip -q "$dist/$name-windows-x86_64.zip" -d "$tmp/zip" || fail "unzip"
windows=$tmp/zip/$name-windows-x86_64
for file in bomtab.exe rowcast.exe bomgrid.exe bomtab.html rowcast.html bomgrid.html README.txt LICENSE.txt; do
    [ -f "$windows/$file" ] || fail "the zip has no $file"
done
for text in README.txt LICENSE.txt CHANGELOG.txt; do
    [ "$(tr -cd '\n' <"$windows/$text" | wc -c)" = "$(grep -c $'\r$' "$windows/$text")" ] ||
        fail "$text has a line that does not end with CR LF"
done
only_windows_dlls "$windows"
export WINEDEBUG=-all
wineboot -i >/dev/null 2>&1
on_wine() { local program=$1; shift; wine "$windows/$program.exe" "$@"; }
check_samples windows '\r' on_wine

# The web page: its files, and in Chromium the amd64 programs' bytes.
unzip -q "$dist/$name-web.zip" -d "$tmp/web" || fail "unzip web"
for file in index.html app.js style.css bomtables-wasm.js LICENSE.txt; do
    [ -f "$tmp/web/$name-web/$file" ] || fail "the web zip has no $file"
done
if [ -n "$modules" ]; then
    dpkg-deb -x "$dist/bomtables_${version}_amd64.deb" "$tmp/root-amd64"
    node "$tmp/source/$name/tests/web/page_test.mjs" --page "$tmp/web/$name-web" --programs "$tmp/root-amd64/usr/bin" \
        --examples "$examples" --corpus "$tmp/source/$name/tests/data/corpus" --modules "$modules" --out "$tmp/web" \
        --large-mib 0 >"$tmp/web.log" 2>&1 || { cat "$tmp/web.log"; fail "the web zip's page"; }
    tail -1 "$tmp/web.log"
fi

# The source's Quick start, as the README in the tarball gives it.
quick=$tmp/quick/$name
mkdir -p "$tmp/quick"
tar -xzf "$dist/$tarball" -C "$tmp/quick"
sed -n '/^## Quick start/,/^## /p' "$quick/README.md" | sed -n 's/^    //p' >"$tmp/commands"
[ "$(wc -l <"$tmp/commands")" = 2 ] || fail "the README's Quick start does not hold two commands"
while IFS= read -r command; do
    echo "tarball: $command"
    (cd "$quick" && bash -c "$command") >"$tmp/quick.log" 2>&1 || { tail -40 "$tmp/quick.log"; fail "tarball: $command"; }
done <"$tmp/commands"
for table in board.html board.wiki; do
    cmp -s "$quick/$table" "$examples/$table" || fail "tarball: the Quick start's $table differs from examples/$table"
done

finish "$dist: all checks passed"
