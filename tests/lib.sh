# shellcheck shell=bash
# Sourced by the shell tests: a failed check is reported and counted, and
# the run ends with the count or with its own line of success.

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# finish LINE: exits with status 1 after any failed check, else prints LINE.
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "$1"
}

# only_libc WHAT BIN_DIR: the Linux programs in BIN_DIR need nothing but
# libc. On arm64 and armhf the stack protector's guard lives in libc's
# dynamic loader, which hardened programs therefore name too.
only_libc() {
    local program libs
    for program in bomtab rowcast bomgrid; do
        libs=$(readelf -d "$2/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | grep -v '^ld-linux' | tr '\n' ' ')
        [ "$libs" = "libc.so.6 " ] || fail "$1 $program needs more than libc: $libs"
    done
}

# only_windows_dlls BIN_DIR: the Windows programs in BIN_DIR need nothing
# that Windows itself does not bring.
only_windows_dlls() {
    local program libs
    for program in bomtab rowcast bomgrid; do
        libs=$(x86_64-w64-mingw32-objdump -p "$1/$program.exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')
        [ "$libs" = "KERNEL32.dll msvcrt.dll " ] || fail "$program.exe needs more than Windows has: $libs"
    done
}
