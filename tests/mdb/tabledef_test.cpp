#include "mdb/bytes.h"
#include "mdb/rowcodec.h"
#include "mdb/tabledef.h"
#include "templatebuilder.h"
#include "testfiles.h"

#include <random>

using namespace mdb;

namespace {

void expectSameColumns(const TableDef& reference, const TableDef& ours)
{
    ASSERT_EQ(reference.columns.size(), ours.columns.size());
    EXPECT_EQ(reference.maxCols, ours.maxCols);
    EXPECT_EQ(reference.varColumnCount(), ours.varColumnCount());
    for (std::size_t i = 0; i < ours.columns.size(); ++i) {
        const ColumnDef& r = reference.columns[i];
        const ColumnDef& o = ours.columns[i];
        SCOPED_TRACE(utf16ToUtf8(r.name));
        EXPECT_EQ(r.name, o.name);
        EXPECT_EQ(r.type, o.type);
        EXPECT_EQ(r.number, o.number);
        EXPECT_EQ(r.length, o.length);
        EXPECT_EQ(r.flags, o.flags);
        EXPECT_EQ(r.varIndex, o.varIndex);
        if (r.isFixed()) {
            EXPECT_EQ(r.fixedOffset, o.fixedOffset);
        }
    }
}

} // namespace

TEST(TableDefinition, GeneratedLogTablesMatchTheJackcessModels)
{
    LOAD_REFERENCE(dataModel, "jackcess-LOG_QVR.mdb");
    LOAD_REFERENCE(resetModel, "jackcess-LOG_RESET_QVR.mdb");
    auto data = mdbgen::buildTemplate(mdbgen::dataLogColumns());
    auto reset = mdbgen::buildTemplate(mdbgen::resetLogColumns());
    TableDef dataRef = decodeTableDef(mdbtest::page(dataModel, 24));
    TableDef resetRef = decodeTableDef(mdbtest::page(resetModel, 24));
    EXPECT_EQ(dataRef.columns.size(), 42u);
    EXPECT_EQ(resetRef.columns.size(), 27u);
    expectSameColumns(dataRef, decodeTableDef(mdbtest::page(data, 19)));
    expectSameColumns(resetRef, decodeTableDef(mdbtest::page(reset, 19)));
    TableDef ours = decodeTableDef(mdbtest::page(data, 19));
    EXPECT_EQ(ours.tableType, 0x4E);
    EXPECT_TRUE(ours.realIndexes.empty());
    EXPECT_TRUE(ours.logicalIndexes.empty());
}

TEST(TableDefinition, EncodingReproducesJackcessBytes)
{
    LOAD_REFERENCE(model, "jackcess-LOG_QVR.mdb");
    auto page = mdbtest::page(model, 24);
    std::vector<uint8_t> encoded = encodeTableDef(decodeTableDef(page));
    EXPECT_EQ(encoded, std::vector<uint8_t>(page.begin(), page.end()));
}

TEST(TableDefinition, JetSystemTableWithIndexesDecodes)
{
    LOAD_REFERENCE(file, "emptyJet4.mdb");
    TableDef objects = decodeTableDef(mdbtest::page(file, 2));
    EXPECT_EQ(objects.tableType, 0x53);
    EXPECT_EQ(objects.rowCount, 8u);
    EXPECT_EQ(objects.columns.size(), 17u);
    EXPECT_EQ(objects.varColumnCount(), 11);
    ASSERT_EQ(objects.realIndexes.size(), 2u);
    EXPECT_EQ(objects.realIndexes[0].rootPage, 7u);
    EXPECT_EQ(objects.realIndexes[1].rootPage, 8u);
    EXPECT_EQ(objects.realIndexes[0].uniqueEntries, 8u);
    ASSERT_EQ(objects.logicalIndexes.size(), 2u);
    EXPECT_EQ(objects.logicalIndexes[1].name, u"ParentIdName");
    EXPECT_EQ(objects.longValueMaps.size(), 7u);
    EXPECT_EQ(objects.ownedMap, rowPointer(6, 0));
    EXPECT_EQ(objects.find(u"parentid"), objects.find(u"ParentId"));
}

// Only ASCII letters fold: a fold by bit mask would also pair '@' with '`'
// and '[' with '{', and a locale's would pair accented letters.
TEST(TableDefinition, NamesFoldOnlyAsciiLetters)
{
    const struct {
        std::u16string_view a, b;
        bool same;
    } cases[] = {
        {u"ParentId", u"PARENTID", true},
        {u"motivo gravação", u"MOTIVO GRAVAçãO", true},
        {u"Gravação", u"GRAVAÇÃO", false},
        {u"a@z", u"A`Z", false},
        {u"[x]", u"{X}", false},
        {u"Id", u"Ids", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf16ToUtf8(c.a) + " / " + utf16ToUtf8(c.b));
        EXPECT_EQ(sameName(c.a, c.b), c.same);
        EXPECT_EQ(sameName(c.b, c.a), c.same);
    }
}

TEST(TableDefinition, DamagedDefinitionsRaise)
{
    LOAD_REFERENCE(file, "emptyJet4.mdb");
    std::vector<uint8_t> page(file.begin() + 2 * 4096, file.begin() + 3 * 4096);
    std::vector<uint8_t> bad = page;
    put32(bad, 8, 100000); // length beyond the page
    EXPECT_THROW(decodeTableDef(bad), FormatError);
    bad = page;
    put16(bad, 45, 60000); // column count
    EXPECT_THROW(decodeTableDef(bad), FormatError);
    bad = page;
    put32(bad, 4, 9); // continued on another page
    EXPECT_THROW(decodeTableDef(bad), FormatError);

    std::mt19937 rng(7);
    uint32_t length = get32(page, 8);
    for (int round = 0; round < 3000; ++round) {
        bad = page;
        for (int k = 0; k < 1 + round % 4; ++k)
            bad[rng() % length] = static_cast<uint8_t>(rng());
        try {
            decodeTableDef(bad);
        } catch (const FormatError&) {
        }
    }
}
