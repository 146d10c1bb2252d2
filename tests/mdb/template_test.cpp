// The generated templates against the database the Jet engine itself makes:
// everything but LOG's own additions and Jet's junk bytes must agree.
#include "mdb/bytes.h"
#include "mdb/datapage.h"
#include "mdb/rowcodec.h"
#include "mdb/tabledef.h"
#include "templatebuilder.h"
#include "testfiles.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

using namespace mdb;

namespace {

std::vector<uint8_t> pageBytes(const std::vector<uint8_t>& file, uint32_t number)
{
    auto p = mdbtest::page(file, number);
    return {p.begin(), p.end()};
}

// Splits a single leaf page into its entries with the entry-end bitmap.
std::vector<std::vector<uint8_t>> leafEntries(std::span<const uint8_t> page)
{
    std::vector<std::vector<uint8_t>> entries;
    std::size_t start = 0x1E0;
    std::size_t used = 4096 - get16(page, 2);
    for (std::size_t end = 0x1E1; end <= used; ++end) {
        std::size_t bit = end - 0x1E0;
        if ((page[0x1B + bit / 8] >> (bit % 8)) & 1) {
            entries.emplace_back(page.begin() + static_cast<std::ptrdiff_t>(start),
                                 page.begin() + static_cast<std::ptrdiff_t>(end));
            start = end;
        }
    }
    EXPECT_EQ(start, used) << "bitmap does not end at the last entry";
    return entries;
}

class GeneratedTemplate : public ::testing::Test {
protected:
    void SetUp() override
    {
        LOAD_REFERENCE(jet, "emptyJet4.mdb");
        m_jet = std::move(jet);
        m_ours = mdbgen::buildTemplate(mdbgen::dataLogColumns());
    }
    std::vector<uint8_t> m_jet;
    std::vector<uint8_t> m_ours;
};

} // namespace

TEST_F(GeneratedTemplate, HeaderAndUntouchedSystemPagesAreJetsOwn)
{
    ASSERT_EQ(m_ours.size(), 21u * 4096u);
    for (uint32_t p : {0u, 6u, 9u, 11u, 12u, 13u, 14u, 15u, 16u})
        EXPECT_EQ(pageBytes(m_ours, p), pageBytes(m_jet, p)) << "page " << p;
}

TEST_F(GeneratedTemplate, CatalogAndPermissionRowsExtendJets)
{
    auto jetRows = mdbtest::page(m_jet, 17);
    auto ourRows = mdbtest::page(m_ours, 17);
    ASSERT_EQ(dataRowCount(jetRows), 8);
    ASSERT_EQ(dataRowCount(ourRows), 9);
    for (uint16_t r = 0; r < 8; ++r) {
        RowSlot a = dataRowSlot(jetRows, r);
        RowSlot b = dataRowSlot(ourRows, r);
        EXPECT_TRUE(std::equal(jetRows.begin() + a.start,
                               jetRows.begin() + a.end,
                               ourRows.begin() + b.start,
                               ourRows.begin() + b.end))
            << "catalog row " << r;
    }
    auto jetAces = mdbtest::page(m_jet, 18);
    auto ourAces = mdbtest::page(m_ours, 18);
    ASSERT_EQ(dataRowCount(jetAces), 16);
    ASSERT_EQ(dataRowCount(ourAces), 19); // one per id granted on the Tables container
    for (uint16_t r = 0; r < 16; ++r) {
        RowSlot a = dataRowSlot(jetAces, r);
        RowSlot b = dataRowSlot(ourAces, r);
        EXPECT_TRUE(std::equal(jetAces.begin() + a.start,
                               jetAces.begin() + a.end,
                               ourAces.begin() + b.start,
                               ourAces.begin() + b.end))
            << "permission row " << r;
    }
}

TEST_F(GeneratedTemplate, CatalogIndexesListLogBesideJetsEntries)
{
    // ParentIdName: Tables container (8F 00 00 01), "LOG" in sort codes, row 8 of page 17.
    const std::vector<uint8_t> logByName =
        {0x7F, 0x8F, 0x00, 0x00, 0x01, 0x7F, 0x5E, 0x64, 0x55, 0x01, 0x00, 0x00, 0x00, 0x11, 0x08};
    const std::vector<uint8_t> logById = {0x7F, 0x80, 0x00, 0x00, 0x13, 0x00, 0x00, 0x11, 0x08};
    struct {
        uint32_t page;
        std::vector<std::vector<uint8_t>> added;
    } const cases[] = {
        {7, {logByName}},
        {8, {logById}},
        {10,
         {{0x7F, 0x80, 0x00, 0x00, 0x13, 0x00, 0x00, 0x12, 0x10},
          {0x7F, 0x80, 0x00, 0x00, 0x13, 0x00, 0x00, 0x12, 0x11},
          {0x7F, 0x80, 0x00, 0x00, 0x13, 0x00, 0x00, 0x12, 0x12}}},
    };
    for (const auto& c : cases) {
        auto expected = leafEntries(mdbtest::page(m_jet, c.page));
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        // The order spelled out: GCC 12 at -O3 misreads the bounds of std::vector's own <=>.
        std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
        });
        EXPECT_EQ(leafEntries(mdbtest::page(m_ours, c.page)), expected) << "page " << c.page;
        EXPECT_EQ(get32(mdbtest::page(m_ours, c.page), 4), get32(mdbtest::page(m_jet, c.page), 4));
    }
}

TEST_F(GeneratedTemplate, SystemDefinitionsAgreeApartFromJunk)
{
    for (uint32_t p = 2; p <= 5; ++p) {
        SCOPED_TRACE("page " + std::to_string(p));
        TableDef jet = decodeTableDef(mdbtest::page(m_jet, p));
        TableDef ours = decodeTableDef(mdbtest::page(m_ours, p));
        ASSERT_EQ(jet.columns.size(), ours.columns.size());
        for (std::size_t i = 0; i < jet.columns.size(); ++i) {
            ColumnDef a = jet.columns[i];
            ColumnDef b = ours.columns[i];
            if (!a.isFixed())
                a.fixedOffset = b.fixedOffset = 0; // Jet leaves junk there
            EXPECT_EQ(a, b) << utf16ToUtf8(a.name);
        }
        ASSERT_EQ(jet.realIndexes.size(), ours.realIndexes.size());
        for (std::size_t i = 0; i < jet.realIndexes.size(); ++i) {
            const RealIndex& a = jet.realIndexes[i];
            const RealIndex& b = ours.realIndexes[i];
            for (std::size_t k = 0; k < a.columns.size(); ++k)
                if (a.columns[k].column != 0xFFFF) {
                    EXPECT_EQ(a.columns[k], b.columns[k]);
                }
            EXPECT_EQ(a.usageMap, b.usageMap);
            EXPECT_EQ(a.rootPage, b.rootPage);
            EXPECT_EQ(a.flags, b.flags);
        }
        EXPECT_EQ(jet.logicalIndexes, ours.logicalIndexes);
        EXPECT_EQ(jet.longValueMaps, ours.longValueMaps);
        EXPECT_EQ(jet.ownedMap, ours.ownedMap);
        EXPECT_EQ(jet.freeMap, ours.freeMap);
    }
    EXPECT_EQ(decodeTableDef(mdbtest::page(m_ours, 2)).rowCount, 9u);
    EXPECT_EQ(decodeTableDef(mdbtest::page(m_ours, 2)).realIndexes[0].uniqueEntries, 9u);
    EXPECT_EQ(decodeTableDef(mdbtest::page(m_ours, 3)).rowCount, 19u);
    EXPECT_EQ(decodeTableDef(mdbtest::page(m_ours, 3)).realIndexes[0].uniqueEntries, 9u);
}

TEST(GeneratedTemplateReaders, MdbtoolsReadsBothTemplates)
{
    mdbtest::TempDir dir;
    struct {
        std::span<const mdbgen::LogColumn> columns;
        std::size_t count;
    } const cases[] = {{mdbgen::dataLogColumns(), 42}, {mdbgen::resetLogColumns(), 27}};
    for (const auto& c : cases) {
        std::string path = dir.file("t.mdb");
        mdbtest::writeBytes(path, mdbgen::buildTemplate(c.columns));
        std::string command = std::string(LOGQVR_MDB_EXPORT) + " " + path + " LOG 2>&1";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        ASSERT_TRUE(pipe);
        char line[4096] = {};
        ASSERT_NE(std::fgets(line, sizeof line, pipe.get()), nullptr);
        std::string header = line;
        std::string expected;
        for (const auto& col : c.columns)
            expected += (expected.empty() ? "" : ",") + col.name;
        EXPECT_EQ(header, expected + "\n");
        EXPECT_EQ(std::fgets(line, sizeof line, pipe.get()), nullptr) << "a fresh table has rows";
    }
}
