/* kestrune: the serial port and Modbus RTU master of LOG_QVR, as a C ABI.
 * One process-wide port and one 300-byte register image; every result is an
 * integer code. The program binds these exports by name at run time.
 *
 * Ports on Linux: number n (1 or more) opens com<n> in the folder
 * $KESTRUNE_PORTS (default $XDG_CONFIG_HOME/kestrune/ports, or
 * ~/.config/kestrune/ports) when that entry exists, else 1-32 =
 * /dev/ttyS0-31, 33-64 = /dev/ttyUSB0-31, 65-96 = /dev/ttyACM0-31; other
 * numbers name no port. The open is exclusive (flock plus TIOCEXCL) and raw.
 * On Windows: number n (1 to 99999999) opens \\.\COM<n>, exclusively (no
 * sharing), with every other field of the driver's DCB left as it reports it.
 * Both: 9600 8N2, time-outs 1000/5000/2000/5000/2000 (in set_timeout's
 * order). Unloading the library closes a port still open: nothing could
 * close it afterwards, and it would stay held until the process ends.
 *
 * Time-outs keep their Windows meaning, in ms: read interval = longest gap
 * between two received bytes once the first has come (0 = unused); read
 * total = multiplier x bytes asked + constant (both 0 = unused); write total
 * likewise. Interval 0xFFFFFFFF with both read totals 0 returns at once with
 * what has arrived; interval and read multiplier 0xFFFFFFFF with a constant
 * wait up to the constant for the first bytes and return with them.
 *
 * With no port open: set_baud, comm_tx, modbus_wr, modbus_wrb and
 * modbus_buf_wr return 0, modbus_rd returns 2, write_comm does nothing,
 * read_comm returns 0 (as it does when its time-outs run out), set_timeout
 * still returns 1 and keeps the values until the next open_comm.
 *
 * Indexes past the image never touch memory outside it: modbus_rd with a
 * count above 147 sends nothing and returns 0; modbus_var above 147 returns
 * 0; modbus_store above 299 stores nothing and returns the value;
 * modbus_wrb above 298 sends nothing and returns 0. */
#ifndef KESTRUNE_H
#define KESTRUNE_H

#include <stdint.h>

#if defined(_WIN32)
/* A .def file names what leaves the DLL, as kestrune.map does on Linux;
 * dllexport would add exports of its own, past the .def's checks. */
#if defined(KESTRUNE_BUILDING)
#define KESTRUNE_API
#else
#define KESTRUNE_API __declspec(dllimport)
#endif
#elif defined(KESTRUNE_BUILDING)
#define KESTRUNE_API __attribute__((visibility("default")))
#else
#define KESTRUNE_API
#endif

/* 32-bit Windows programs that bind a library's exports by name expect the
 * callee to pop its arguments (stdcall); the exported names stay plain all
 * the same. x86-64 and Linux have one convention only. */
#if defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define KESTRUNE_CALLCONV __stdcall
#else
#define KESTRUNE_CALLCONV
#endif

/* open_comm results */
#define KESTRUNE_OPEN_FAILED 1      /* no such port, or held (here or elsewhere) */
#define KESTRUNE_OPEN_NO_SETTINGS 2 /* settings unreadable; port stays held */
#define KESTRUNE_OPEN_REFUSED 3     /* 9600 8N2 refused; port stays held */
#define KESTRUNE_OPEN_OK 4

/* modbus_rd results besides a byte count: 1 = good reply in the image, 2 = the
 * request could not be written. A reply of exactly 1 or 2 bytes would collide
 * with those, so it is reported as KESTRUNE_RD_RUNT_FLAG | count (0x80000001,
 * 0x80000002), a value no byte count can reach. */
#define KESTRUNE_RD_OK 1u
#define KESTRUNE_RD_NOT_WRITTEN 2u
#define KESTRUNE_RD_RUNT_FLAG 0x80000000u

#define KESTRUNE_IMAGE_BYTES 300u

#ifdef __cplusplus
extern "C" {
#endif

/* Port */
/* A port still held is let go whatever the result, so a second open of the
 * same port gives 1 and leaves nothing open (nothing leaks). */
KESTRUNE_API int32_t KESTRUNE_CALLCONV open_comm(int32_t port);
/* 1 when it closed a port (and released its lock), else 0. */
KESTRUNE_API int32_t KESTRUNE_CALLCONV close_comm(void);
/* stopBits 1 = one stop bit, anything else two; 8 data bits, no parity. Any
 * rate the driver accepts (termios2/BOTHER on Linux, the DCB's rate as given
 * on Windows); 0 is refused since on a tty it means hang-up. */
KESTRUNE_API uint32_t KESTRUNE_CALLCONV set_baud(uint32_t baud, uint32_t stopBits);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV set_timeout(uint32_t readIntervalMs,
                                                    uint32_t readTotalConstantMs,
                                                    uint32_t readTotalMultiplierMs,
                                                    uint32_t writeTotalConstantMs,
                                                    uint32_t writeTotalMultiplierMs);
KESTRUNE_API void KESTRUNE_CALLCONV write_comm(const uint8_t* buffer, uint32_t length);
KESTRUNE_API uint8_t KESTRUNE_CALLCONV read_comm(void);
/* Discards the receive queue, then sends the low byte; 1 or 0 written. */
KESTRUNE_API uint32_t KESTRUNE_CALLCONV comm_tx(uint32_t value);

/* Later additions, which a caller should bind as optional: open_comm keeps
 * its codes, these say more. Both copy UTF-8 text into buffer as snprintf
 * does (at most size - 1 bytes and a terminating NUL; nothing when buffer is
 * null or size 0) and return the text's whole length in bytes, so a caller
 * whose buffer was too small can ask again. */
/* Why the last open_comm did not give 4, as one line in Portuguese for the
 * user: the port number and its device, then the reason, e.g. "Porta 33
 * (/dev/ttyUSB0) em uso por outro programa: minicom (PID 1234)." or "Sem
 * permissão para abrir /dev/ttyUSB0. Entre no grupo dialout: ...". Windows
 * cannot name the program holding a port. 0 (an empty text) before any
 * open_comm and after one that gave 4. */
KESTRUNE_API uint32_t KESTRUNE_CALLCONV last_error_text(char* buffer, uint32_t size);
/* The device open_comm(port) would open now ("/dev/ttyUSB0", a com<n> link
 * in the ports folder, "\\.\COM3"); 0 when the number names no device. */
KESTRUNE_API uint32_t KESTRUNE_CALLCONV port_device_name(int32_t port, char* buffer, uint32_t size);

/* Modbus RTU master and register image. modbus_rd returns 2 only when the
 * write of its request failed; a write cut short by its time-out still waits
 * for the reply. */
KESTRUNE_API uint32_t KESTRUNE_CALLCONV modbus_rd(uint32_t slave,
                                                  uint32_t firstRegister,
                                                  uint32_t count);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV modbus_var(uint32_t index);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV modbus_wr(uint32_t slave, uint32_t reg, uint32_t value);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV modbus_store(uint32_t position, uint32_t value);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV modbus_wrb(uint32_t length);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV modbus_buf_wr(uint8_t* buffer, uint32_t length);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV crc_calc(uint32_t crc, uint32_t word);

/* Word and bit helpers */
KESTRUNE_API uint32_t KESTRUNE_CALLCONV bit_test(uint32_t value, uint32_t bit);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV bit_set(uint32_t value, uint32_t bit);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV bit_clear(uint32_t value, uint32_t bit);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV low(uint32_t value);
KESTRUNE_API uint32_t KESTRUNE_CALLCONV high(uint32_t value);

#ifdef __cplusplus
}

/* Kept for callers that expect it; it has no state and no behaviour. */
class KESTRUNE_API CModbus {
public:
    CModbus();
    CModbus& operator=(const CModbus& other);
};
#endif

#endif
