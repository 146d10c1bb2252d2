// The checker against files made by Jet, Access and Jackcess: it must read
// them right (known values) and find nothing wrong in them.
#include "checker.h"
#include "testfiles.h"

#include <gtest/gtest.h>

using namespace mdbcheck;
using mdbcheck::testing::referenceFile;

namespace {

struct ReferenceCase {
    const char* file;
    bool accessMade;
};

void PrintTo(const ReferenceCase& c, std::ostream* os)
{
    *os << c.file;
}

class ReferenceFiles : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(ReferenceFiles, HaveNoFindings)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    CheckOptions options = GetParam().accessMade ? CheckOptions::accessMade() : CheckOptions();
    auto findings = checkFile(referenceFile(GetParam().file), options);
    for (const Finding& f : findings)
        ADD_FAILURE() << describe(f);
}

// Jet's and Jackcess's files meet every rule we hold our own files to; the
// Access-made ones have used headers and index keys with punctuation.
INSTANTIATE_TEST_SUITE_P(Jet4,
                         ReferenceFiles,
                         ::testing::Values(ReferenceCase{"emptyJet4.mdb", false},
                                           ReferenceCase{"emptyAccess2000.mdb", false},
                                           ReferenceCase{"jackcess-LOG_QVR.mdb", false},
                                           ReferenceCase{"jackcess-LOG_QVR-3rows.mdb", false},
                                           ReferenceCase{"jackcess-LOG_QVR-deleted.mdb", false},
                                           ReferenceCase{"jackcess-LOG_RESET_QVR.mdb", false},
                                           ReferenceCase{"jackcess-LOG_RESET_QVR-3rows.mdb", false},
                                           ReferenceCase{"delTestV2000.mdb", true},
                                           ReferenceCase{"fixedTextTestV2000.mdb", true}));

TEST(JetImage, HeaderKeystreamMatchesKnownVector)
{
    Bytes zeros(8, 0);
    const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4Xor(key, zeros);
    EXPECT_EQ(zeros, (Bytes{0xB5, 0x6F, 0x03, 0x62, 0x61, 0x08, 0xC2, 0x55}));
}

TEST(JetImage, DecodesPlainAndCompressedText)
{
    EXPECT_EQ(utf16ToUtf8(Bytes{'R', 0, 0xE9, 0, 's', 0}), "Rés");
    // FF FE, then one byte per character; 00 switches to two-byte mode.
    EXPECT_EQ(utf16ToUtf8(Bytes{0xFF, 0xFE, 'a', 'b', 0x00, 0xAC, 0x20}), "ab€");
    EXPECT_THROW(utf16ToUtf8(Bytes{'a', 0, 'b'}), FormatError);
}

TEST(JetImage, ReadsTheCatalogOfTheJetMadeFile)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    Image image = Image::fromFile(referenceFile("emptyJet4.mdb"));
    TableDef catalog = image.tableDef(2);
    EXPECT_EQ(catalog.columns.size(), 17u);
    EXPECT_EQ(catalog.numVarCols, 11);
    EXPECT_EQ(catalog.fixedAreaSize(), 30u);
    std::vector<Row> rows = image.liveRows(catalog);
    ASSERT_EQ(rows.size(), 8u);
    std::map<std::string, int32_t> ids;
    for (const Row& r : rows)
        ids[asText(r, catalog.column("Name")).value()] = asLong(r, catalog.column("Id")).value();
    EXPECT_EQ(ids.at("Tables"), 0x0F000001);
    EXPECT_EQ(ids.at("MSysDb"), 0x10000000);
    EXPECT_EQ(ids.at("MSysObjects"), 2);
    EXPECT_EQ(ids.at("MSysRelationships"), 5);
}

TEST(JetImage, ReadsRowsThatJackcessWrote)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    Image image = Image::fromFile(referenceFile("jackcess-LOG_QVR-3rows.mdb"));
    TableDef log = image.tableDef(24);
    ASSERT_EQ(log.columns.size(), 42u);
    EXPECT_EQ(log.rowCount, 3u);
    std::vector<Row> rows = image.liveRows(log);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(asText(rows[1], log.column("Motivo Gravação")), "| Tempo| Relés");
    EXPECT_EQ(asText(rows[0], log.column("Data")), "10/01/2024");
    EXPECT_EQ(asInteger(rows[0], log.column("Qtde Variaveis")), 42);
    EXPECT_EQ(asLong(rows[0], log.column("UTC")), 1704889800);
    EXPECT_DOUBLE_EQ(asDouble(rows[2], log.column("TAMB")).value(), 25.25);
    EXPECT_EQ(asLong(rows[2], log.column("CRC")), 305441743);

    Image deleted = Image::fromFile(referenceFile("jackcess-LOG_QVR-deleted.mdb"));
    EXPECT_TRUE(deleted.liveRows(deleted.tableDef(24)).empty());
}

} // namespace

namespace {

// emptyJet4.mdb with its inline global map turned into the reference kind
// Access uses in large files: one 0x05 bitmap page, appended, covering pages
// 0..32735, with every page past the end marked free.
Bytes withReferenceGlobalMap()
{
    Bytes b = mdbcheck::testing::readBytes(referenceFile("emptyJet4.mdb"));
    const size_t page = jet4::kPageSize;
    uint32_t bitmapPage = uint32_t(b.size() / page);
    size_t row = page + le16(b, page + 14); // page 1, row 0
    size_t rowEnd = 2 * page;
    std::fill(b.begin() + long(row), b.begin() + long(rowEnd), 0);
    b[row] = 0x01;
    for (int i = 0; i < 4; ++i)
        b[row + 1 + size_t(i)] = uint8_t(bitmapPage >> (8 * i));
    Bytes bitmap(page, 0xFF);
    bitmap[0] = 0x05;
    bitmap[1] = 0x01;
    bitmap[2] = bitmap[3] = 0;
    for (uint32_t p = 0; p <= bitmapPage; ++p)
        bitmap[4 + p / 8] &= uint8_t(~(1 << (p % 8)));
    b.insert(b.end(), bitmap.begin(), bitmap.end());
    return b;
}

TEST(GlobalMap, ReferenceKindIsRead)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    Bytes bytes = withReferenceGlobalMap();
    auto clean = checkImage(Image(bytes));
    for (const Finding& f : clean)
        ADD_FAILURE() << describe(f);

    // Catalog rows live on page 17: mark it free in the bitmap page.
    bytes[bytes.size() - jet4::kPageSize + 4 + 17 / 8] |= uint8_t(1 << (17 % 8));
    auto findings = checkImage(Image(bytes));
    EXPECT_TRUE(hasFinding(findings, "global-map"));
    EXPECT_TRUE(anyFatal(findings));
}

} // namespace
