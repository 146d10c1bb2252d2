// The table engine on an in-memory file: appends, deletes, page reuse,
// interrupted writes and a full disk.
#include "checker.h"
#include "mdb/bytes.h"
#include "mdb/catalog.h"
#include "mdb/datapage.h"
#include "mdb/errors.h"
#include "mdb/pageio.h"
#include "mdb/table.h"
#include "templatebuilder.h"
#include "testfiles.h"

using namespace mdb;

namespace {

std::vector<Cell> sampleRow(const TableDef& def, int n)
{
    std::vector<Cell> row(def.columns.size());
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        switch (def.columns[i].type) {
        case jet4::kTypeText:
            row[i] = std::u16string(u"0x") + static_cast<char16_t>(u'A' + n % 26) + u"123";
            break;
        case jet4::kTypeDouble:
            row[i] = n / 10.0;
            break;
        default:
            row[i] = int64_t{n % 30000};
        }
    }
    return row;
}

uint32_t logPage(const PageStore& store)
{
    auto page = findTable(store, u"log");
    EXPECT_TRUE(page.has_value());
    return page.value_or(0);
}

// What an export does to the table once the file is open: clear, then fill.
void exportRows(Table& table, int rows)
{
    for (RowId id : table.initialRows())
        table.remove(id);
    for (int n = 0; n < rows; ++n)
        table.append(sampleRow(table.def(), n));
}

std::vector<uint8_t> exportRows(std::vector<uint8_t> file, int rows)
{
    MemoryPageStore store(std::move(file));
    Table table(store, logPage(store));
    exportRows(table, rows);
    return store.bytes();
}

// What our checker finds wrong with a file, one finding a line.
std::string findingsOf(const std::vector<uint8_t>& file, bool fatalOnly = false)
{
    std::string text;
    for (const mdbcheck::Finding& f : mdbcheck::checkImage(mdbcheck::Image(file)))
        if (f.fatal || !fatalOnly)
            text += mdbcheck::describe(f) + "\n";
    return text;
}

} // namespace

TEST(TableEngine, AppendedRowsReadBackAndSurviveReopen)
{
    MemoryPageStore store(mdbgen::buildTemplate(mdbgen::dataLogColumns()));
    uint32_t tdef = logPage(store);
    EXPECT_EQ(tdef, 19u);
    EXPECT_FALSE(findTable(store, u"MSysNothing").has_value());
    {
        Table table(store, tdef);
        EXPECT_EQ(table.liveRowCount(), 0u);
        for (int n = 0; n < 40; ++n)
            table.append(sampleRow(table.def(), n));
        EXPECT_EQ(table.read({table.ownedPages().front(), 3}), sampleRow(table.def(), 3));
    }
    Table again(store, tdef);
    ASSERT_EQ(again.initialRows().size(), 40u);
    EXPECT_EQ(again.def().rowCount, 40u);
    EXPECT_EQ(again.read(again.initialRows()[39]), sampleRow(again.def(), 39));
    // First page, then the 0x05 bitmap page of the owned map, then more data pages.
    std::vector<uint32_t> owned = again.ownedPages();
    ASSERT_GE(owned.size(), 3u);
    EXPECT_EQ(owned[0], 21u);
    EXPECT_EQ(owned[1], 23u);
    std::vector<uint8_t> page(4096);
    store.readPage(22, page);
    EXPECT_EQ(page[0], jet4::kPageUsageMap);
}

TEST(TableEngine, ClearingReusesPagesInsteadOfGrowing)
{
    MemoryPageStore store(mdbgen::buildTemplate(mdbgen::resetLogColumns()));
    Table table(store, logPage(store));
    std::size_t sizeAfterFirstFill = 0;
    for (int cycle = 0; cycle < 3; ++cycle) {
        std::vector<RowId> rows;
        for (int n = 0; n < 300; ++n)
            rows.push_back(table.append(sampleRow(table.def(), n)));
        if (cycle == 0)
            sizeAfterFirstFill = store.bytes().size();
        EXPECT_EQ(store.bytes().size(), sizeAfterFirstFill) << "cycle " << cycle;
        for (RowId id : rows)
            table.remove(id);
        EXPECT_EQ(table.liveRowCount(), 0u);
        try {
            table.remove(rows.front());
            FAIL() << "a deleted row was deleted again";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 3167);
        }
    }
    for (uint32_t p : table.ownedPages()) {
        std::vector<uint8_t> page(4096);
        store.readPage(p, page);
        // One deleted slot of no bytes, as Access leaves a compacted page.
        ASSERT_EQ(dataRowCount(page), 1);
        EXPECT_EQ(get16(page, 14), 0xD000);
        EXPECT_EQ(dataFreeSpace(page), 4080);
    }
}

TEST(TableEngine, EveryIntermediateFileOfAnInsertOpens)
{
    std::vector<uint8_t> base = mdbgen::buildTemplate(mdbgen::dataLogColumns());
    std::vector<std::vector<uint8_t>> snapshots;
    MemoryPageStore store(base);
    store.setOnWrite(
        [&snapshots](const std::vector<uint8_t>& bytes) { snapshots.push_back(bytes); });
    {
        Table table(store, 19);
        std::vector<RowId> ids;
        for (int n = 0; n < 30; ++n) // crosses two page allocations
            ids.push_back(table.append(sampleRow(table.def(), n)));
        for (int k = 0; k < 5; ++k) {
            table.remove(ids.back());
            ids.pop_back();
        }
    }
    ASSERT_GT(snapshots.size(), 60u);
    std::size_t previous = 0;
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        MemoryPageStore copy(snapshots[i]);
        Table reopened(copy, 19); // repairs a count that lags behind
        std::size_t live = reopened.liveRowCount();
        EXPECT_EQ(reopened.def().rowCount, live);
        EXPECT_LE(live > previous ? live - previous : previous - live, 1u) << "write " << i;
        previous = live;
    }
}

TEST(TableEngine, FullDiskRefusesTheRowAndKeepsTheFileSound)
{
    MemoryPageStore store(mdbgen::buildTemplate(mdbgen::dataLogColumns()));
    Table table(store, 19);
    table.append(sampleRow(table.def(), 1)); // pages 21 and 22 now exist
    store.setMaxPages(store.pageCount());
    int stored = 1;
    try {
        for (;; ++stored)
            table.append(sampleRow(table.def(), stored + 1));
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 3026);
    }
    EXPECT_GT(stored, 5);
    Table reopened(store, 19);
    EXPECT_EQ(reopened.liveRowCount(), static_cast<std::size_t>(stored));
    EXPECT_EQ(reopened.def().rowCount, static_cast<uint32_t>(stored));
}

TEST(TableEngine, OwnedPagesOfAnotherTableAreDamage)
{
    std::vector<uint8_t> file = mdbgen::buildTemplate(mdbgen::dataLogColumns());
    {
        MemoryPageStore store(file);
        Table table(store, 19);
        table.append(sampleRow(table.def(), 1));
        file = store.bytes();
    }
    file[21 * 4096 + 4] = 2; // data page now claims MSysObjects as its owner
    MemoryPageStore store(file);
    EXPECT_THROW(Table(store, 19), FormatError);
}

TEST(TableEngine, GlobalMapNeverShowsAnAllocatedPageFree)
{
    MemoryPageStore store(mdbgen::buildTemplate(mdbgen::dataLogColumns()));
    Table table(store, 19);
    auto globalRow = [&store] {
        std::vector<uint8_t> page(4096);
        store.readPage(1, page);
        RowSlot s = dataRowSlot(page, 0);
        return std::vector<uint8_t>(page.begin() + s.start, page.begin() + s.end);
    };
    uint32_t pages = store.pageCount();
    for (int n = 0; store.pageCount() < 530; ++n) {
        table.append(sampleRow(table.def(), n));
        if (store.pageCount() == pages)
            continue;
        pages = store.pageCount();
        std::vector<uint8_t> row = globalRow();
        ASSERT_EQ(row.size(), 69u);
        std::vector<uint8_t> expected(69, 0);
        if (pages <= 512) {
            // Inline from page 0: a set bit is a free page, i.e. one past the end.
            for (uint32_t p = pages; p < 512; ++p)
                expected[5 + p / 8] |= static_cast<uint8_t>(1u << (p % 8));
        } else {
            // Reference kind without bitmap pages: no page is free.
            expected[0] = 0x01;
        }
        ASSERT_EQ(row, expected) << "file of " << pages << " pages";
    }
    // The free-space map of LOG also leaves its start at 0 only while it can.
    std::vector<uint8_t> maps(4096);
    store.readPage(20, maps);
    RowSlot s = dataRowSlot(maps, 1);
    uint32_t start = get32(maps, s.start + 1u);
    EXPECT_EQ(start, (store.pageCount() - 1) & ~7u);
}

TEST(TableEngine, PageLeftUnlistedByAFullDiskNeverTakesRows)
{
    MemoryPageStore store(mdbgen::buildTemplate(mdbgen::dataLogColumns()));
    Table table(store, 19);
    // The first row's data page fits; its owned-map bitmap page does not.
    store.setMaxPages(store.pageCount() + 1);
    EXPECT_THROW(table.append(sampleRow(table.def(), 0)), Error);
    store.setMaxPages(UINT32_MAX);
    std::vector<RowId> ids;
    for (int n = 1; n <= 5; ++n)
        ids.push_back(table.append(sampleRow(table.def(), n)));
    for (RowId id : ids)
        table.remove(id);
    for (int n = 6; n <= 8; ++n)
        table.append(sampleRow(table.def(), n));
    Table reopened(store, 19);
    ASSERT_EQ(reopened.liveRowCount(), 3u);
    EXPECT_EQ(reopened.read(reopened.initialRows().front()), sampleRow(reopened.def(), 6));
}

namespace {

struct KilledClearCase {
    const char* name;
    std::span<const mdbgen::LogColumn> (*columns)();
    int rows;   // the export whose clear is killed
    int refill; // the export after it
};

void PrintTo(const KilledClearCase& c, std::ostream* os)
{
    *os << c.name;
}

class KilledClear : public ::testing::TestWithParam<KilledClearCase> {};

// A clear stopped after any of its page writes, as a killed process leaves
// it: the next export must fit in the room a clean clear would have left.
TEST_P(KilledClear, NextExportTakesNoMoreRoomThanAfterACleanClear)
{
    const KilledClearCase& c = GetParam();
    std::vector<uint8_t> filled = exportRows(mdbgen::buildTemplate(c.columns()), c.rows);
    std::vector<uint8_t> clean = exportRows(filled, c.refill);
    ASSERT_EQ(findingsOf(clean), "");

    std::vector<std::vector<uint8_t>> killed; // the file after each write of the clear
    {
        MemoryPageStore store(filled);
        store.setOnWrite([&killed](const std::vector<uint8_t>& bytes) { killed.push_back(bytes); });
        Table table(store, logPage(store));
        exportRows(table, 0);
    }
    ASSERT_GT(killed.size(), 2u * static_cast<std::size_t>(c.rows));
    bool haveMdbExport = ::access(LOGQVR_MDB_EXPORT, X_OK) == 0;
    mdbtest::TempDir dir;
    for (std::size_t k = 0; k < killed.size(); ++k) {
        SCOPED_TRACE("killed after write " + std::to_string(k + 1) + " of " +
                     std::to_string(killed.size()));
        // A row count one off is what a kill between two writes may leave.
        ASSERT_EQ(findingsOf(killed[k], true), "");
        MemoryPageStore store(killed[k]);
        Table table(store, logPage(store));
        bool onlyDeletedRowsLeft = table.liveRowCount() == 0;
        exportRows(table, c.refill);
        ASSERT_EQ(store.bytes().size(), clean.size());
        if (c.refill == c.rows) {
            ASSERT_TRUE(store.bytes() == clean) << "the refill differs from a clean one";
        }
        ASSERT_EQ(findingsOf(store.bytes()), "");
        if (onlyDeletedRowsLeft && haveMdbExport) {
            mdbtest::writeBytes(dir.file("next.mdb"), store.bytes());
            EXPECT_EQ(mdbtest::exportLines(dir.file("next.mdb")).size(),
                      static_cast<std::size_t>(c.refill) + 1);
        }
    }
}

const KilledClearCase kKilledClears[] = {
    {"DataLog", mdbgen::dataLogColumns, 100, 100},
    {"DataLogSmallerRefill", mdbgen::dataLogColumns, 100, 20},
    {"ResetLog", mdbgen::resetLogColumns, 78, 78},
};

INSTANTIATE_TEST_SUITE_P(Exports,
                         KilledClear,
                         ::testing::ValuesIn(kKilledClears),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
