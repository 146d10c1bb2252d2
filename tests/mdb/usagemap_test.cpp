#include "mdb/bytes.h"
#include "mdb/datapage.h"
#include "mdb/pageio.h"
#include "mdb/usagemap.h"
#include "testfiles.h"

using namespace mdb;

namespace {

std::vector<uint8_t> mapRow(const std::vector<uint8_t>& file, uint32_t pageNo, uint16_t row)
{
    auto p = mdbtest::page(file, pageNo);
    RowSlot s = dataRowSlot(p, row);
    return {p.begin() + s.start, p.begin() + s.end};
}

} // namespace

TEST(UsageMap, InlineBitsNamePages)
{
    std::vector<uint8_t> row(69, 0);
    row[1] = 16;   // start page 16
    row[5] = 0x05; // pages 16 and 18
    row[6] = 0x80; // page 31
    MemoryPageStore none;
    UsageMap map = decodeUsageMap(row);
    EXPECT_EQ(mapPages(map, none), (std::vector<uint32_t>{16, 18, 31}));
    EXPECT_EQ(encodeUsageMap(map), row);
    EXPECT_TRUE(inlineCovers(map, 16 + 511));
    EXPECT_FALSE(inlineCovers(map, 15));
    EXPECT_THROW(inlineSet(map, 16 + 512, true), FormatError);
}

TEST(UsageMap, ReferenceMapOfJackcessInsertion)
{
    LOAD_REFERENCE(file, "jackcess-LOG_QVR-3rows.mdb");
    MemoryPageStore store(file, true);
    UsageMap owned = decodeUsageMap(mapRow(file, 25, 0));
    EXPECT_EQ(owned.type, 1);
    EXPECT_EQ(owned.mapPages.size(), 17u);
    EXPECT_EQ(owned.mapPages[0], 27u);
    EXPECT_EQ(mapPages(owned, store), std::vector<uint32_t>{26});
    UsageMap free = decodeUsageMap(mapRow(file, 25, 1));
    EXPECT_EQ(mapPages(free, store), std::vector<uint32_t>{26});
}

TEST(UsageMap, ReferenceToANonMapPageIsDamage)
{
    LOAD_REFERENCE(file, "jackcess-LOG_QVR-3rows.mdb");
    MemoryPageStore store(file, true);
    UsageMap owned = decodeUsageMap(mapRow(file, 25, 0));
    owned.mapPages[0] = 24; // a TDEF page
    EXPECT_THROW(mapPages(owned, store), FormatError);
    owned.mapPages[0] = 5000; // beyond the file
    EXPECT_THROW(mapPages(owned, store), FormatError);
    std::vector<uint8_t> bad = {7, 0, 0, 0, 0};
    EXPECT_THROW(decodeUsageMap(bad), FormatError);
}

TEST(UsageMap, GlobalMapMatchesJetThenTurnsToTheReferenceKind)
{
    LOAD_REFERENCE(file, "emptyJet4.mdb");
    // Jet's 19-page file: pages 0-18 used, the rest of the window free.
    EXPECT_EQ(encodeUsageMap(globalMapFor(19, 69)), mapRow(file, 1, 0));

    // 512 pages fill the window exactly: nothing in it is free.
    std::vector<uint8_t> full(69, 0);
    EXPECT_EQ(encodeUsageMap(globalMapFor(512, 69)), full);

    // Past the window: the reference kind without bitmap pages, as Access
    // writes for a large file, so no page counts as free.
    std::vector<uint8_t> reference(69, 0);
    reference[0] = 0x01;
    EXPECT_EQ(encodeUsageMap(globalMapFor(513, 69)), reference);
    EXPECT_EQ(encodeUsageMap(globalMapFor(1000, 69)), reference);
    MemoryPageStore none;
    EXPECT_TRUE(mapPages(globalMapFor(1000, 69), none).empty());
    // A row whose length is not 1 + 4n keeps as many whole pointers as fit.
    EXPECT_EQ(globalMapFor(1000, 70).mapPages.size(), 17u);
    EXPECT_THROW(globalMapFor(10, 4), FormatError);
}

TEST(UsageMap, MapPageBits)
{
    std::vector<uint8_t> p = emptyMapPage();
    mapPageSet(p, 0, true);
    mapPageSet(p, 9, true);
    mapPageSet(p, 0, false);
    EXPECT_EQ(p[0], 5);
    EXPECT_EQ(p[4], 0);
    EXPECT_EQ(p[5], 0x02);
}
