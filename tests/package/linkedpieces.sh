#!/usr/bin/env bash
# What of others' work the linker put into the binaries we ship, read from
# their link maps (logqvr_program() and logqvr_link_map() in
# cmake/packaging.cmake write one per binary), and whether the notices that
# go with them name each piece.
#   linkedpieces.sh NOTICES MAPDIR BINARY...
# Fails naming a binary without its map, an input from outside the build tree
# that the table below does not know, or a piece the notices do not name.
set -euo pipefail

# The piece an input from outside the build tree belongs to, as the notices
# (packaging/notices.txt) name it. "-": the start-up files that glibc and GCC
# license to every program without asking for a notice, and the sanitizers'
# start-up, which only the tested, never shipped, sanitizer builds carry. A
# new library linked in gets its row here and its paragraph in the notices.
piece_of() {
    case "$1" in
    */crt1.o | */Scrt1.o | */crti.o | */crtn.o | */crtbegin*.o | */crtend*.o) echo - ;;
    */lib*san_preinit.o) echo - ;;
    */libstdc++.a | */libsupc++.a) echo libstdc++ ;;
    */libgcc.a | */libgcc_eh.a) echo libgcc ;;
    *-w64-mingw32/lib/libpthread.a | *-w64-mingw32/lib/libwinpthread.a) echo winpthreads ;;
    *-w64-mingw32/lib/*) echo mingw-w64 ;;
    /*) echo "?" ;;
    *) echo ours ;;
    esac
}

# Others' work a binary carries as data rather than code, found by a
# signature of its text: the report's chart library, embedded at build time.
# A new embedded piece gets its row here and its paragraph in the notices.
embedded_pieces() {
    if grep -aq 'var uPlot=function' "$1"; then echo uPlot; fi
}

notices=$1
maps=$2
shift 2
status=0
for binary in "$@"; do
    name=$(basename "$binary")
    map=$maps/$name.map
    if [ ! -f "$map" ]; then
        echo "FAIL: no link map for $name: ship it through logqvr_program() or logqvr_link_map()"
        status=1
        continue
    fi
    # Archive members the link took, and objects it loaded whole.
    inputs=$({
        sed -n 's/^\([^ (]*\.a\)(.*/\1/p' "$map"
        sed -n 's/^LOAD \(.*\.o\(bj\)\{0,1\}\)$/\1/p' "$map"
    } | sort -u)
    pieces=""
    while read -r input; do
        [ -n "$input" ] || continue
        piece=$(piece_of "$input")
        case "$piece" in
        ours | -) ;;
        "?")
            echo "FAIL: $name takes $input, which no notice covers: add its paragraph to" \
                "packaging/notices.txt and its row to $0"
            status=1
            ;;
        *) pieces="$pieces $piece" ;;
        esac
    done <<<"$inputs"
    pieces="$pieces $(embedded_pieces "$binary")"
    for piece in $(printf '%s\n' $pieces | sort -u); do
        # Named where the notices say what a paragraph is: its Comment, before
        # the first comma; a mention in another piece's text does not count.
        if ! awk -v piece="$piece" 'sub(/^Comment: /, "") && index(substr($0, 1, index($0 ",", ",")), piece) { found = 1 }
                                    END { exit !found }' "$notices"; then
            echo "FAIL: $name carries $piece, which $(basename "$notices") does not name"
            status=1
        fi
        echo "$name: $piece"
    done
done
exit $status
