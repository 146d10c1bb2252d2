// A QVR/KPW device played as a Modbus RTU slave on a pseudo-terminal, for
// tests, benchmarks and the demo. It serves the registers the program uses
// and can be told to misbehave.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

inline constexpr int kLogCapacity = 10380; // data-log record positions
inline constexpr int kResetSlots = 78;
inline constexpr uint16_t kRegIdent = 17008; // 3: version*100, serial 1, serial 2
inline constexpr uint16_t kRegOptions = 17011;
inline constexpr uint16_t kRegRelease = 17043;
inline constexpr uint16_t kRegLogPointer = 17161;
inline constexpr uint16_t kRegResetPointer = 17172;
inline constexpr uint16_t kRegLogWindow = 17500;   // 41 words
inline constexpr uint16_t kRegResetWindow = 17600; // 26 words
inline constexpr uint16_t kRegLogSelect = 19045;
inline constexpr uint16_t kRegResetSelect = 19096;

using DataRecord = std::array<uint16_t, 41>;
using ResetEntry = std::array<uint16_t, 26>;

// Modbus CRC-16 of the words with each word's low byte first: the CRC a
// record or entry carries in its last word.
uint16_t recordCrc(const uint16_t* words, std::size_t count);

// A record with plausible content number n and a valid CRC in w40: a freshly
// filled log holds content n at record n, and records written later take the
// numbers after 10380, so their time goes on 47 minutes a record. Over
// consecutive n it walks every reason combination, negative temperatures and
// offsets, IL values above 0x7FFF and varied status words.
DataRecord makeRecord(int n);
// An entry for slot k with a valid CRC in w25 (w4 != 0xFFFF).
ResetEntry makeResetEntry(int k);
DataRecord erasedRecord();    // all 0xFFFF
ResetEntry blankResetEntry(); // w4 = 0xFFFF, rest 0xFFFF

// Slots that fillResetLog() leaves blank when the log is not empty: 9, 19,
// ..., 69 and the last one, so a download meets blanks between entries and
// at the end.
bool isDefaultBlankResetSlot(int k);

// The record the device writes after record n: its ring holds every number
// the program's walk visits, 0 to 10380, and after 10380 comes 0, so a range
// from the first unread record to the pointer is exactly what was written
// since. An empty log (pointer 0) starts at 1; a pointer beyond the ring
// starts it again at 0.
int nextRecordNumber(int n);

// What the device holds. Indexes of `records` are record numbers 0..10380;
// a select write of value v presents record (v + 1) mod 65536, and a number
// beyond the vector presents an erased record.
struct DeviceState {
    uint16_t firmware = 124; // version * 100
    uint16_t serial1 = 12;
    uint16_t serial2 = 345;
    uint16_t release = 4;
    uint16_t options = 2; // bit 1: data-log option
    uint16_t logPointer = 0;
    uint16_t resetPointer = 0;
    std::vector<DataRecord> records; // filled by fillDataLog()
    std::array<ResetEntry, kResetSlots> resetLog{};
    uint16_t logSelect = 0;   // last value written to 19045
    uint16_t resetSelect = 0; // last value written to 19096
    // The content (the makeRecord argument) of the next record written: one
    // past the newest that fillDataLog() leaves, so time goes on advancing.
    int nextContent = kLogCapacity + 1;

    // Fill records 0..10380 with makeRecord(n) and set logPointer.
    void fillDataLog(uint16_t pointer);
    // Write `count` new records after logPointer, as the device logs them
    // (nextRecordNumber), each with makeRecord(nextContent++), and move the
    // pointer to the last. Writing past 10380 wraps the ring; 10381 records
    // overwrite every record there was.
    void writeRecords(int count);
    // The device's memory cleared: every record erased, pointer 0.
    void eraseDataLog();
    // Set resetPointer and fill the 78 slots: all blank when pointer is 0,
    // else makeResetEntry(k) except where isDefaultBlankResetSlot(k).
    void fillResetLog(uint16_t pointer);
};

// Switches a test turns on; each applies to every reply until cleared.
// A request met by a silencing switch is not carried out either.
struct Faults {
    bool silent = false;               // read requests, answer nothing
    bool badCrc = false;               // flip the reply's last CRC byte
    int truncateTo = -1;               // send only this many bytes of each reply
    int exceptionCode = 0;             // answer every request with this exception (e.g. 2)
    int replyDelayMs = 0;              // wait before answering
    long stopAfter = -1;               // answer this many more transactions, then fall silent
    int garbageBytes = 0;              // prefix each reply with this many 0xAA bytes
    bool wrongSlave = false;           // answer with slave address + 1
    int failReadsAtRegister = -1;      // be silent for reads of this register only
    int failAfterReadsOfRegister = -1; // ... only after this many good reads of it
    bool silentWrites = false;         // write requests, answer nothing
    int silentEvery = 0;               // answer nothing to every n-th request (n >= 2)
    int byteDelayUs = 0;               // line rate: wait this long per request and reply byte
};

struct Transaction {
    uint8_t slave;
    uint8_t function;
    uint16_t reg;
    uint16_t countOrValue;
};

class Simulator {
public:
    explicit Simulator(uint8_t slaveAddress = 1);
    ~Simulator(); // stops the thread and closes the pty
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Open a pty (raw mode) and answer on it from a background thread.
    // Returns false and fills `error` when the host has no pseudo-terminals.
    bool start(std::string* error = nullptr);
    // Stops answering, closes the pty and removes the links it made.
    void stop();
    // The slave side's path, e.g. /dev/pts/5: what the master opens.
    const std::string& ptyPath() const;
    // Create (replace) the link dir/com<port> -> ptyPath(); creates dir.
    bool linkAsPort(const std::string& dir, int port, std::string* error = nullptr);
    // Close the master side: the port sees a hang-up.
    void hangUp();

    // Access to the state and switches, under the simulator's lock.
    template <class F> auto withState(F&& f)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(m_state);
    }
    // Also restarts the counters behind stopAfter, silentEvery and
    // failAfterReadsOfRegister.
    void setFaults(const Faults& f);
    // stopAfter reads as the number of answers left.
    Faults faults() const;

    // Every request that reached the device with a good CRC and its address
    // (or broadcast), in order, whether answered or not.
    std::vector<Transaction> transactions() const;
    void clearTransactions();
    // Records (by number) that the device presented in a 17500 reply, in
    // order; only replies sent whole and with a good CRC count.
    std::vector<int> servedRecords() const;
    void clearServedRecords();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    mutable std::mutex m_mutex;
    DeviceState m_state;
};

} // namespace sim
