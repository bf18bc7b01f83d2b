#!/usr/bin/env bash
# Installs the build into a fresh DESTDIR and checks that what a user gets
# works: the files sit where they belong (and nothing else is installed),
# each installed program converts real input, and each installed manual
# renders without a warning.
#
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: install_test.sh BUILD_DIR SOURCE_DIR"; exit 2; }
build=$(cd "$1" && pwd) || exit 1
source=$(cd "$2" && pwd) || exit 1
sample=$source/examples/board.txt

. "$(dirname "$0")/../lib.sh" || exit 1

command -v groff >/dev/null || { echo "FAIL: groff not found (Debian: groff-base)"; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
work=$tmp/work
mkdir "$work"

# Two prefixes, so that a destination hard-coded to either one shows up.
for prefix in /usr/local /usr; do
    root=$tmp/dest${prefix//\//_}
    if ! DESTDIR=$root cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
        cat "$tmp/install.log"
        echo "FAIL: cmake --install $build --prefix $prefix failed"
        exit 1
    fi
    # Exactly these files, nothing outside the prefix.
    expected="$prefix/bin/bomgrid
$prefix/bin/bomtab
$prefix/bin/rowcast
$prefix/share/doc/bomtables/README.md
$prefix/share/man/man1/bomgrid.1
$prefix/share/man/man1/bomtab.1
$prefix/share/man/man1/rowcast.1"
    installed=$(cd "$root" && find . -type f -o -type l | sed 's/^\.//' | LC_ALL=C sort)
    if [ "$installed" != "$expected" ]; then
        fail "files installed with --prefix $prefix differ from the expected list"
        diff <(echo "$expected") <(echo "$installed")
    fi
done

# The rest looks at the /usr/local installation.
prefix=/usr/local
root=$tmp/dest${prefix//\//_}
bin=$root$prefix/bin
for program in bomtab rowcast bomgrid; do
    [ -x "$bin/$program" ] || fail "$bin/$program is not executable"
done
cmp -s "$source/README.md" "$root$prefix/share/doc/bomtables/README.md" \
    || fail "installed README differs from the source"

# run STATUS PROGRAM ARGS...: runs an installed program in the work folder
# and checks its exit status.
run() {
    local want=$1 program=$2
    shift 2
    (cd "$work" && "$bin/$program" "$@" >"$tmp/console" 2>&1)
    local got=$?
    [ "$got" = "$want" ] || { fail "$program $* exited with $got, expected $want"; cat "$tmp/console"; }
}

# check_table FILE FIRST ROW LAST: FILE starts with the line FIRST, holds a
# line matching ROW and its last non-empty line is LAST.
check_table() {
    local file=$work/$1 first=$2 row=$3 last=$4
    [ -s "$file" ] || { fail "$1 is missing or empty"; return; }
    [ "$(head -n 1 "$file")" = "$first" ] || fail "$1 does not start with $first"
    grep -q -- "$row" "$file" || fail "$1 has no row matching $row"
    [ "$(grep -v '^$' "$file" | tail -n 1)" = "$last" ] || fail "$1 does not end with $last"
}

run 0 bomtab --i "$sample" --html board.html --wiki board.wiki --md board.md
check_table board.html "<table class='wikitable' border='1'>" '^<tr><td>C1  *</td> <td> 100nF  *</td>' '</table>'
check_table board.wiki '== Partlist ==' '^|C1  *|| 100nF  *|| C0603' '|}'
check_table board.md '| Part | Value | Package |' '^| C1 | 100nF | C0603 |$' '| S1 | RESET | TS-6X6 |'

printf '"Part","Value","Package"\n"C1","100nF","C0603"\n' >"$work/parts.csv"
run 0 rowcast --i parts.csv --html parts.html --wiki parts.wiki
check_table parts.html "<table class='wikitable' border='1'>" '^<tr><td>C1</td> <td>100nF</td> <td>C0603</td> </tr>$' '</table>'
check_table parts.wiki '== Partlist ==' '^|C1||100nF||C0603$' '|}'

run 0 bomgrid "$sample" grid.html
check_table grid.html "<Div Class='Wiki'>" '^<tr><td>C1  *</td>' '</div>'
run 1 bomgrid "$sample"

for page in bomtab rowcast bomgrid; do
    manual=$root$prefix/share/man/man1/$page.1
    [ -f "$manual" ] || continue
    warnings=$(groff -man -ww -z "$manual" 2>&1)
    [ -z "$warnings" ] || { fail "groff warns about $page.1"; echo "$warnings"; }
done

finish "install into DESTDIR$prefix: all checks passed"
