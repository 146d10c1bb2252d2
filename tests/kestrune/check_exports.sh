#!/bin/sh
# The library must export exactly the C entry points and class CModbus.
#   check_exports.sh LIB.so                  the dynamic symbols (nm -D)
#   check_exports.sh --pe OBJDUMP LIB.dll    a DLL's export table, plain names
#                                            only, and no import but Windows'
set -eu
objdump=""
if [ "$1" = "--pe" ]; then
    objdump="$2"
    shift 2
fi
lib="$1"
expected="bit_clear bit_set bit_test close_comm comm_tx crc_calc high last_error_text low
modbus_buf_wr modbus_rd modbus_store modbus_var modbus_wr modbus_wrb open_comm
port_device_name read_comm set_baud set_timeout write_comm
_ZN7CModbusC1Ev _ZN7CModbusC2Ev _ZN7CModbusaSERKS_"

if [ -n "$objdump" ]; then
    table=$("$objdump" -p "$lib")
    actual=$(echo "$table" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort)
    # The C and C++ runtimes are linked in: a DLL of theirs (libstdc++-6,
    # libgcc_s, libwinpthread-1) would be missing beside ours on a
    # technician's machine.
    foreign=$(echo "$table" | sed -n 's/^[[:space:]]*DLL Name: //p' |
        grep -v -i -E '^(kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$' || true)
    if [ -n "$foreign" ]; then
        echo "imports DLLs that Windows does not have:"
        echo "$foreign"
        exit 1
    fi
else
    # Linker-made markers and sanitizer hooks are not ours to judge.
    actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' |
        grep -v -E '^(_edata|_end|__bss_start|_init|_fini)$|asan|ubsan|sanitizer' | sort)
fi
wanted=$(echo $expected | tr ' ' '\n' | sort)

if [ "$actual" != "$wanted" ]; then
    echo "exported symbols differ from the contract:"
    echo "$actual" > /tmp/kestrune-actual.$$
    echo "$wanted" | diff - /tmp/kestrune-actual.$$ || true
    rm -f /tmp/kestrune-actual.$$
    exit 1
fi
echo "exports ok: $(echo "$actual" | wc -l) symbols"
