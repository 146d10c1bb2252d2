// Content of the simulated device's two logs: deterministic, but varied
// enough that every branch of a record decoder gets used.
#include "simulator.h"

#include "rtucrc.h"

namespace sim {
namespace {

// Integer hash (lowbias32) so that neighbouring record numbers get unrelated
// values without any state.
uint32_t mix(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

struct CivilTime {
    int year, month, day, hour, minute, second;
};

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's method).
CivilTime civilFromSeconds(long long seconds)
{
    long long days = seconds / 86400;
    const long long rest = seconds % 86400;
    days += 719468;
    const long long era = days / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year,
            month,
            day,
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60)};
}

uint16_t bytes(int high, int low)
{
    return static_cast<uint16_t>(((high & 0xFF) << 8) | (low & 0xFF));
}

// w0..w2 as the device stores a timestamp: day|month, year|hour, minute|second.
void putTimestamp(uint16_t* w, const CivilTime& t)
{
    w[0] = bytes(t.day, t.month);
    w[1] = bytes(t.year % 100, t.hour);
    w[2] = bytes(t.minute, t.second);
}

// 2023-06-01 00:00:00 UTC: the full log then runs through 29 February 2024.
constexpr long long kLogStart = 1685577600LL;
// Minutes; the last one is the extreme a decoder must take as -32768.
constexpr int16_t kUtcOffsets[] = {-180, -120, 0, 60, 120, -300, 330, -32768};

uint16_t status(uint32_t h, int shift)
{
    const uint32_t v = h >> shift;
    // Mostly quiet bits, now and then a busy word or one with only the top bit.
    switch (v % 5) {
    case 0:
        return 0;
    case 1:
        return static_cast<uint16_t>(1U << (v >> 3) % 16);
    case 2:
        return 0x8000;
    default:
        return static_cast<uint16_t>(v >> 4);
    }
}

} // namespace

uint16_t recordCrc(const uint16_t* words, std::size_t count)
{
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        // The device feeds each word low byte first, unlike the wire order.
        const uint8_t pair[2] = {static_cast<uint8_t>(words[i] & 0xFF),
                                 static_cast<uint8_t>(words[i] >> 8)};
        crc = crc16Update(crc, pair, 2);
    }
    return crc;
}

DataRecord makeRecord(int n)
{
    DataRecord r{};
    const uint32_t h = mix(static_cast<uint32_t>(n));
    const uint32_t g = mix(h);
    putTimestamp(r.data(), civilFromSeconds(kLogStart + n * 47LL * 60 + h % 60));
    const int offsetCount = sizeof kUtcOffsets / sizeof kUtcOffsets[0];
    // The extreme offset only for one record in 97.
    const int offsetIndex = n % 97 == 0 ? offsetCount - 1 : static_cast<int>(h % (offsetCount - 1));
    r[3] = static_cast<uint16_t>(kUtcOffsets[offsetIndex]);
    // Reasons walk all 32 combinations; bits 5-7 carry noise a decoder ignores.
    r[4] = bytes(36 + static_cast<int>(h % 6), (n % 32) | (((n / 32) % 8) << 5));
    r[5] = static_cast<uint16_t>(static_cast<int>(g % 600) - 150); // -15.0 .. 44.9 C
    r[6] = static_cast<uint16_t>(static_cast<int>(h % 900) - 200); // -20.0 .. 69.9 C
    for (int i = 0; i < 3; ++i) {
        r[7 + i] = static_cast<uint16_t>(2150 + (g >> (4 * i)) % 200);  // volts, tenths
        r[10 + i] = static_cast<uint16_t>(500 + (h >> (5 * i)) % 4000); // amps, hundredths
    }
    r[13] = static_cast<uint16_t>(g % 1200);
    // IL: above 0x7FFF the device reports a raw code, not tenths.
    if (n % 11 == 0)
        r[14] = static_cast<uint16_t>(0x8000 + h % 0x8000);
    else if (n % 13 == 0)
        r[14] = 0x7FFF;
    else
        r[14] = static_cast<uint16_t>(h % 3000);
    r[15] = static_cast<uint16_t>(1180 + g % 60);
    for (int i = 16; i <= 19; ++i)
        r[i] = static_cast<uint16_t>(mix(g + i) % 140);
    r[20] = static_cast<uint16_t>(g % 1400);
    for (int i = 21; i <= 24; ++i)
        r[i] = static_cast<uint16_t>(mix(h + i) % 500);
    r[25] = static_cast<uint16_t>(h % 50000);
    r[26] = static_cast<uint16_t>(n * 3 + 100);
    r[27] = static_cast<uint16_t>(n / 7);
    r[28] = static_cast<uint16_t>(g % 1000);
    r[29] = static_cast<uint16_t>(1 + h % 17);
    r[30] = static_cast<uint16_t>(1 + g % 17);
    r[31] = static_cast<uint16_t>(mix(g) % 60000);
    r[32] = static_cast<uint16_t>(mix(h + 1) % 60000);
    r[33] = static_cast<uint16_t>(h % 4);
    for (int i = 34; i <= 39; ++i)
        r[i] = status(mix(h + 7 * i), i % 3);
    r[40] = recordCrc(r.data(), 40);
    return r;
}

ResetEntry makeResetEntry(int k)
{
    ResetEntry e{};
    const uint32_t h = mix(static_cast<uint32_t>(k) + 0x5EED);
    putTimestamp(e.data(), civilFromSeconds(kLogStart + k * 3LL * 86400 + h % 86400));
    // Low byte: signed offset in hours, including the -128 and -1 corners.
    static constexpr int kHours[] = {-3, -2, 0, 1, 2, 5, -128, -1, 127};
    e[3] = bytes(36 + k % 6, kHours[k % 9]);
    e[4] = static_cast<uint16_t>(100 + (k % 4) * 12); // firmware * 100, never 0xFFFF
    e[5] = static_cast<uint16_t>(1 + k % 6);
    e[6] = static_cast<uint16_t>(h & 0x00FF);       // RCON
    e[7] = bytes(static_cast<int>(h >> 8), k % 12); // integrity | reset point
    e[8] = static_cast<uint16_t>(h >> 16);
    for (int i = 0; i < 8; ++i)
        e[9 + i] = static_cast<uint16_t>(mix(h + i) % (i < 4 ? 20 : 60000));
    e[17] = static_cast<uint16_t>(mix(h) & 0x1F1E);
    e[18] = static_cast<uint16_t>(k % 3); // PC high
    e[19] = static_cast<uint16_t>(0x0200 + (h >> 4) % 0xF000);
    e[20] = static_cast<uint16_t>(0x0800 + (h % 0x400) * 2);
    e[21] = static_cast<uint16_t>(e[20] + 0x40);
    e[22] = static_cast<uint16_t>(mix(h + 9));
    e[23] = static_cast<uint16_t>(k % 5 == 0 ? 0xFFFF : mix(h + 10) % 256);
    e[24] = static_cast<uint16_t>(k % 7 == 0 ? 0 : mix(h + 11) % 0x1000);
    e[25] = recordCrc(e.data(), 25);
    return e;
}

DataRecord erasedRecord()
{
    DataRecord r;
    r.fill(0xFFFF);
    return r;
}

ResetEntry blankResetEntry()
{
    ResetEntry e;
    e.fill(0xFFFF);
    return e;
}

bool isDefaultBlankResetSlot(int k)
{
    return k % 10 == 9 || k == kResetSlots - 1;
}

void DeviceState::fillDataLog(uint16_t pointer)
{
    records.resize(kLogCapacity + 1);
    for (int n = 0; n <= kLogCapacity; ++n)
        records[n] = makeRecord(n);
    logPointer = pointer;
    nextContent = kLogCapacity + 1;
}

int nextRecordNumber(int n)
{
    return n >= kLogCapacity ? 0 : n + 1;
}

void DeviceState::writeRecords(int count)
{
    if (records.size() != kLogCapacity + 1)
        records.resize(kLogCapacity + 1, erasedRecord());
    for (int i = 0; i < count; ++i) {
        logPointer = static_cast<uint16_t>(nextRecordNumber(logPointer));
        records[logPointer] = makeRecord(nextContent++);
    }
}

void DeviceState::eraseDataLog()
{
    records.assign(kLogCapacity + 1, erasedRecord());
    logPointer = 0;
}

void DeviceState::fillResetLog(uint16_t pointer)
{
    resetPointer = pointer;
    for (int k = 0; k < kResetSlots; ++k) {
        const bool blank = pointer == 0 || isDefaultBlankResetSlot(k);
        resetLog[k] = blank ? blankResetEntry() : makeResetEntry(k);
    }
}

} // namespace sim
