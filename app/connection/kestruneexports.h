// The exports of kestrune by name, written once for the program's run-time
// binder and for the tests that bind the library the same way. Each list is
// an X-macro: LIST(X) expands X(name) once per export.
#pragma once

// The program binds each of these at its first call and cannot run without
// any of them.
#define LOGQVR_KESTRUNE_REQUIRED(X)                                                                \
    X(open_comm)                                                                                   \
    X(close_comm)                                                                                  \
    X(set_baud)                                                                                    \
    X(set_timeout)                                                                                 \
    X(comm_tx)                                                                                     \
    X(modbus_rd)                                                                                   \
    X(modbus_var)                                                                                  \
    X(modbus_wr)                                                                                   \
    X(modbus_store)                                                                                \
    X(modbus_wrb)                                                                                  \
    X(crc_calc)                                                                                    \
    X(bit_test)                                                                                    \
    X(bit_set)                                                                                     \
    X(bit_clear)                                                                                   \
    X(low)                                                                                         \
    X(high)

// Later additions, bound as optional: a library built before them still
// serves, and the program says less.
#define LOGQVR_KESTRUNE_OPTIONAL(X)                                                                \
    X(last_error_text)                                                                             \
    X(port_device_name)

// The rest of the library's C functions, which the program never calls.
#define LOGQVR_KESTRUNE_UNBOUND(X)                                                                 \
    X(write_comm)                                                                                  \
    X(read_comm)                                                                                   \
    X(modbus_buf_wr)

// Every C function the library exports (class CModbus leaves it under its
// C++ names besides).
#define LOGQVR_KESTRUNE_EXPORTS(X)                                                                 \
    LOGQVR_KESTRUNE_REQUIRED(X)                                                                    \
    LOGQVR_KESTRUNE_OPTIONAL(X)                                                                    \
    LOGQVR_KESTRUNE_UNBOUND(X)
