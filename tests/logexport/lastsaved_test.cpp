// The memory of each device: its key, its stored text, and where a download
// moves it.
#include "logexport/lastsaved.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

using namespace logexport;

namespace {

constexpr int kRing = 10381;

// A distinct real stamp for every record number.
RecordStamp stampFor(int n)
{
    char data[16], hora[16];
    std::snprintf(data, sizeof data, "%02d/%02d/24", 1 + n % 28, 1 + n / 28 % 12);
    std::snprintf(hora, sizeof hora, "%02d:%02d:%02d", n / 3600 % 24, n / 60 % 60, n % 60);
    return {data, hora};
}

SavedRun run(int first, int count, int pointer)
{
    SavedRun r{first, pointer, {}};
    for (int i = 0; i < count; ++i)
        r.stamps.push_back(stampFor((first + i) % kRing));
    return r;
}

MemoryBase base(MemoryBase::Kind kind, int record)
{
    return {kind, {record, stampFor(record)}};
}

} // namespace

TEST(LastSaved, KeyKeepsTheTwoSerialPartsApart)
{
    EXPECT_EQ(historyKey(1234, 5), "1234_5");
    EXPECT_NE(historyKey(1234, 5), historyKey(123, 4005));
    EXPECT_EQ(historyKey(0, 65535), "0_65535");
}

TEST(LastSaved, ValueReadsBackAndAnythingElseIsAbsent)
{
    for (const LastSaved& mark :
         {LastSaved{0, {"01/01/00", "00:00:00"}}, LastSaved{10380, {"29/02/24", "23:59:59"}}}) {
        EXPECT_EQ(parseLastSaved(formatLastSaved(mark)), mark);
    }
    EXPECT_EQ(formatLastSaved({10370, {"05/03/24", "14:05:09"}}), "10370 05/03/24 14:05:09");
    for (const char* damaged : {"",
                                "10370",
                                "10381 05/03/24 14:05:09",
                                "-1 05/03/24 14:05:09",
                                "010 05/03/24 14:05:09",
                                "x10 05/03/24 14:05:09",
                                "10  05/03/24 14:05:09",
                                "10 5/3/24 14:05:09",
                                "10 31/02/24 14:05:09",
                                "10 05-03-24 14:05:09",
                                "10 05/03/24 24:00:00",
                                "10 05/03/24 14:05:09 ",
                                "10 255/255/255 255:255:255",
                                "10 05/03/24\t14:05:09"}) {
        EXPECT_EQ(parseLastSaved(damaged), std::nullopt) << '"' << damaged << '"';
    }
}

TEST(LastSaved, MovesOnlyOverWhatWasSavedWithoutAGapAndNeverPastThePointer)
{
    using K = MemoryBase::Kind;
    struct Case {
        const char* what;
        MemoryBase base;
        SavedRun run;
        std::optional<int> moved;
    };
    const MemoryBase none = base(K::None, 0);
    SavedRun blankAtPointer = run(91, 10, 100);
    blankAtPointer.stamps.back() = {"255/255/255", "255:255:255"};
    const Case cases[] = {
        {"first visit, whole memory", none, run(0, 10380, 100), 100},
        {"first visit, whole memory, pointer 10380", none, run(0, 10380, 10380), 10379},
        {"first visit, last 10", none, run(91, 10, 100), 100},
        {"first visit, range short of the pointer", none, run(50, 11, 100), std::nullopt},
        {"first visit, partial whole memory", none, run(0, 50, 100), std::nullopt},
        {"first visit, no real stamp at the pointer", none, blankAtPointer, std::nullopt},
        {"the new records", base(K::Verified, 100), run(101, 24, 124), 124},
        {"a range from before the mark", base(K::Verified, 100), run(90, 61, 150), 150},
        {"last 10 of 50 new", base(K::Verified, 100), run(141, 10, 150), std::nullopt},
        {"partial, 9 of 50 new", base(K::Verified, 100), run(101, 9, 150), 109},
        {"across the wrap", base(K::Verified, 10370), run(10371, 31, 20), 20},
        {"from record 0", base(K::Verified, 10380), run(0, 6, 5), 5},
        {"whole memory, not its records past the pointer",
         base(K::Verified, 50),
         run(0, 10380, 100),
         100},
        {"whole memory, new records across the wrap",
         base(K::Verified, 200),
         run(0, 10380, 100),
         10379},
        {"whole ring, last 10380 from pointer 5", base(K::Verified, 100), run(6, kRing, 5), 5},
        {"nothing new", base(K::Verified, 100), run(0, 10380, 100), std::nullopt},
        {"unread mark found in the run", base(K::Unverified, 100), run(0, 10380, 150), 150},
        {"unread mark not in the run", base(K::Unverified, 100), run(101, 50, 150), std::nullopt},
        {"pointer 0", base(K::Verified, 100), run(101, 10, 0), std::nullopt},
        {"nothing saved", none, run(0, 0, 100), std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<LastSaved> moved = movedMark(c.base, c.run);
        ASSERT_EQ(moved.has_value(), c.moved.has_value()) << c.what;
        if (moved) {
            EXPECT_EQ(moved->record, *c.moved) << c.what;
            EXPECT_EQ(moved->stamp, stampFor(*c.moved)) << c.what;
        }
    }
    // A walk that starts beyond 10380 (a fractional last N) counts from 0.
    SavedRun fromBeyond{0, 1, {}};
    for (int n : {10381, 0, 1})
        fromBeyond.add(n, stampFor(n));
    EXPECT_EQ(movedMark(none, fromBeyond), (LastSaved{1, stampFor(1)}));
    // A mark the device no longer holds with the stamp remembered.
    MemoryBase stale = base(K::Unverified, 100);
    stale.mark.stamp.hora = "00:00:01";
    EXPECT_EQ(movedMark(stale, run(0, 10380, 150)), std::nullopt);
}
