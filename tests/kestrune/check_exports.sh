#!/bin/sh
# The library must export exactly the C entry points and class CModbus.
set -eu
lib="$1"
expected="bit_clear bit_set bit_test close_comm comm_tx crc_calc high low modbus_buf_wr
modbus_rd modbus_store modbus_var modbus_wr modbus_wrb open_comm read_comm set_baud
set_timeout write_comm _ZN7CModbusC1Ev _ZN7CModbusC2Ev _ZN7CModbusaSERKS_"

# Linker-made markers and sanitizer hooks are not ours to judge.
actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' |
    grep -v -E '^(_edata|_end|__bss_start|_init|_fini)$|asan|ubsan|sanitizer' | sort)
wanted=$(echo $expected | tr ' ' '\n' | sort)

if [ "$actual" != "$wanted" ]; then
    echo "exported symbols differ from the contract:"
    echo "$actual" > /tmp/kestrune-actual.$$
    echo "$wanted" | diff - /tmp/kestrune-actual.$$ || true
    rm -f /tmp/kestrune-actual.$$
    exit 1
fi
echo "exports ok: $(echo "$actual" | wc -l) symbols"
