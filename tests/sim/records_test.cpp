#include "refcrc.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using simtest::refCrc16;
using simtest::refRecordCrc;

namespace {

int daysInMonth(int month, int year)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && year % 4 == 0)
        return 29;
    return kDays[month - 1];
}

// Day, month and 2-digit year in w0/w1, time in w1/w2, as the device packs them.
::testing::AssertionResult validTimestamp(const uint16_t* w)
{
    const int day = w[0] >> 8, month = w[0] & 0xFF, year = w[1] >> 8;
    const int hour = w[1] & 0xFF, minute = w[2] >> 8, second = w[2] & 0xFF;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(month, year) || year > 99)
        return ::testing::AssertionFailure() << "date " << day << "/" << month << "/" << year;
    if (hour > 23 || minute > 59 || second > 59)
        return ::testing::AssertionFailure() << "time " << hour << ":" << minute << ":" << second;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(RecordCrc, ReferenceMatchesPublishedCheckValue)
{
    const std::string check = "123456789";
    EXPECT_EQ(refCrc16({check.begin(), check.end()}), 0x4B37);
}

TEST(RecordCrc, FeedsLowByteOfEachWordFirst)
{
    // "12345678" low byte first is 0x3231, 0x3433, ...
    const uint16_t words[] = {0x3231, 0x3433, 0x3635, 0x3837};
    const std::string text = "12345678";
    EXPECT_EQ(sim::recordCrc(words, 4), refCrc16({text.begin(), text.end()}));
    EXPECT_EQ(sim::recordCrc(words, 0), 0xFFFF);
    const uint16_t swapped[] = {0x3132};
    EXPECT_NE(sim::recordCrc(swapped, 1), refCrc16({'1', '2'}));
}

TEST(DataRecords, EveryRecordHasValidContentAndCrc)
{
    long previous = -1;
    // Two rings' worth of writes after the fill: still dated, still in order.
    for (int n = 0; n <= 3 * sim::kLogCapacity; ++n) {
        const sim::DataRecord r = sim::makeRecord(n);
        ASSERT_EQ(r[40], refRecordCrc(r, 40)) << "record " << n;
        ASSERT_TRUE(validTimestamp(r.data())) << "record " << n;
        ASSERT_NE(r[4] >> 8, 0) << "variable count of record " << n;
        // Records are written in time order.
        const long stamp =
            (((((r[1] >> 8) * 13L + (r[0] & 0xFF)) * 32 + (r[0] >> 8)) * 24 + (r[1] & 0xFF)) * 60 +
             (r[2] >> 8)) *
                60 +
            (r[2] & 0xFF);
        ASSERT_GT(stamp, previous) << "record " << n;
        previous = stamp;
    }
    EXPECT_EQ(sim::makeRecord(77), sim::makeRecord(77));
    EXPECT_NE(sim::makeRecord(77), sim::makeRecord(78));
}

TEST(DataRecords, ContentVariesEnoughToExerciseADecoder)
{
    std::set<int> reasons;
    std::set<uint16_t> statusValues[6];
    bool negativeUtc = false, minUtc = false, negativeTamb = false, negativeTmec = false;
    bool rawIl = false, tenthsIl = false, maxTenthsIl = false, leapDay = false, unusedBits = false;
    for (int n = 0; n <= sim::kLogCapacity; ++n) {
        const sim::DataRecord r = sim::makeRecord(n);
        reasons.insert(r[4] & 0x1F);
        unusedBits |= (r[4] & 0xE0) != 0;
        negativeUtc |= static_cast<int16_t>(r[3]) < 0;
        minUtc |= r[3] == 0x8000;
        negativeTamb |= static_cast<int16_t>(r[5]) < 0;
        negativeTmec |= static_cast<int16_t>(r[6]) < 0;
        rawIl |= r[14] >= 0x8000;
        tenthsIl |= r[14] < 0x7FFF;
        maxTenthsIl |= r[14] == 0x7FFF;
        leapDay |= r[0] == 0x1D02;
        for (int i = 0; i < 6; ++i)
            statusValues[i].insert(r[34 + i]);
    }
    EXPECT_EQ(reasons.size(), 32u);
    EXPECT_TRUE(unusedBits);
    EXPECT_TRUE(negativeUtc);
    EXPECT_TRUE(minUtc);
    EXPECT_TRUE(negativeTamb);
    EXPECT_TRUE(negativeTmec);
    EXPECT_TRUE(rawIl);
    EXPECT_TRUE(tenthsIl);
    EXPECT_TRUE(maxTenthsIl);
    EXPECT_TRUE(leapDay);
    for (int i = 0; i < 6; ++i) {
        EXPECT_GT(statusValues[i].size(), 50u) << "w" << 34 + i;
        EXPECT_TRUE(statusValues[i].count(0)) << "w" << 34 + i;
        EXPECT_TRUE(statusValues[i].count(0x8000)) << "w" << 34 + i;
    }
}

TEST(ResetEntries, EveryEntryIsValidAndNotBlank)
{
    std::set<int> utcBytes;
    for (int k = 0; k < sim::kResetSlots; ++k) {
        const sim::ResetEntry e = sim::makeResetEntry(k);
        ASSERT_EQ(e[25], refRecordCrc(e, 25)) << "slot " << k;
        ASSERT_NE(e[4], 0xFFFF) << "slot " << k;
        ASSERT_TRUE(validTimestamp(e.data())) << "slot " << k;
        utcBytes.insert(e[3] & 0xFF);
    }
    EXPECT_TRUE(utcBytes.count(0x80));
    EXPECT_TRUE(utcBytes.count(0xFF));
    EXPECT_TRUE(utcBytes.count(0x7F));
    EXPECT_TRUE(utcBytes.count(0x00));
}

TEST(DeviceState, FillsTheDataLogAndItsPointer)
{
    sim::DeviceState s;
    s.fillDataLog(4321);
    EXPECT_EQ(s.logPointer, 4321);
    ASSERT_EQ(s.records.size(), static_cast<std::size_t>(sim::kLogCapacity + 1));
    EXPECT_EQ(s.records[sim::kLogCapacity][40], refRecordCrc(s.records[sim::kLogCapacity], 40));
    for (uint16_t w : sim::erasedRecord())
        EXPECT_EQ(w, 0xFFFF);
}

TEST(DeviceState, WritesNewRecordsRoundTheRingAsTheWalkNumbersThem)
{
    struct Case {
        int pointer;
        bool erase;
        int count;
        int newPointer;
    };
    const Case cases[] = {
        {100, false, 24, 124},
        {10370, false, 31, 20}, // 10371..10380, 0, 1..20
        {10380, false, 1, 0},
        {100, false, 10381, 100}, // every record overwritten
        {500, true, 3, 3},        // an erased log starts again at 1
    };
    for (const Case& c : cases) {
        sim::DeviceState s;
        s.fillDataLog(static_cast<uint16_t>(c.pointer));
        if (c.erase)
            s.eraseDataLog();
        const std::vector<sim::DataRecord> before = s.records;
        s.writeRecords(c.count);
        EXPECT_EQ(s.logPointer, c.newPointer) << c.pointer << " + " << c.count;
        std::set<int> written;
        for (int i = 0, n = s.logPointer; i < c.count;
             ++i, n = n == 0 ? sim::kLogCapacity : n - 1) {
            written.insert(n);
            ASSERT_EQ(s.records[n], sim::makeRecord(sim::kLogCapacity + c.count - i))
                << c.pointer << " + " << c.count << ": record " << n;
        }
        for (int n = 0; n <= sim::kLogCapacity; ++n) {
            if (!written.count(n)) {
                ASSERT_EQ(s.records[n], before[n])
                    << c.pointer << " + " << c.count << ": record " << n;
            }
        }
        if (c.erase) {
            EXPECT_EQ(before[c.pointer], sim::erasedRecord());
        }
    }
}

TEST(DeviceState, ResetLogHasBlanksBetweenEntriesUnlessEmpty)
{
    sim::DeviceState s;
    s.fillResetLog(3);
    EXPECT_EQ(s.resetPointer, 3);
    int blanks = 0;
    for (int k = 0; k < sim::kResetSlots; ++k) {
        const bool blank = s.resetLog[k][4] == 0xFFFF;
        EXPECT_EQ(blank, sim::isDefaultBlankResetSlot(k)) << "slot " << k;
        if (blank) {
            ++blanks;
            for (uint16_t w : s.resetLog[k])
                ASSERT_EQ(w, 0xFFFF) << "slot " << k;
        } else {
            EXPECT_EQ(s.resetLog[k][25], refRecordCrc(s.resetLog[k], 25));
        }
    }
    EXPECT_GT(blanks, 1);
    EXPECT_LT(blanks, 20);
    EXPECT_TRUE(s.resetLog[sim::kResetSlots - 1][4] == 0xFFFF);

    s.fillResetLog(0);
    for (const sim::ResetEntry& e : s.resetLog)
        EXPECT_EQ(e[4], 0xFFFF);
}
