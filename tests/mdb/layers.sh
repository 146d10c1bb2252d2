#!/bin/sh
# The engine's files include only their own layer and the layers below it:
#   1 page I/O and the file copy, the only code that touches the system
#   2 table definitions
#   3 the row codec and the values the face hands down
#   4 the catalog and the table engine, which read rows
#   5 the DAO-like face
# A file whose name is not placed here fails too, so a new one gets a layer.
#   layers.sh MDB_DIR
set -eu
layer() {
    stem=$(basename "$1")
    stem=${stem%.*}
    stem=${stem%_win32}
    case "$stem" in
    bytes | errors | format | pageio | filestore | datapage | usagemap | win32file | copytemp | copy) echo 1 ;;
    tabledef) echo 2 ;;
    rowcodec | value | convert) echo 3 ;;
    catalog | table) echo 4 ;;
    dao) echo 5 ;;
    *) echo 0 ;;
    esac
}
status=0
count=0
for file in "$1"/*.h "$1"/*.cpp; do
    own=$(layer "$file")
    count=$((count + 1))
    if [ "$own" = 0 ]; then
        echo "$(basename "$file"): no layer given"
        status=1
        continue
    fi
    for included in $(sed -n 's|^#include "mdb/\([^"]*\)".*|\1|p' "$file"); do
        theirs=$(layer "$included")
        if [ "$theirs" = 0 ] || [ "$theirs" -gt "$own" ]; then
            echo "$(basename "$file") (layer $own) includes $included (layer $theirs)"
            status=1
        fi
    done
done
[ $status -ne 0 ] || echo "mdb: $count files, no include goes up a layer"
exit $status
