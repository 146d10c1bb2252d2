// The checker must catch faults: each case damages one thing in a file that
// Jackcess wrote and expects the finding that names it.
#include "checker.h"
#include "mdbtools.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace mdbcheck;
using mdbcheck::testing::readBytes;
using mdbcheck::testing::referenceFile;

namespace {

// jackcess-LOG_QVR-3rows.mdb: LOG's definition is page 24, its three rows are
// on page 26; MSysObjects rows are on page 14, its ParentIdName index on page 7.
constexpr uint32_t kLogTdef = 24;
constexpr uint32_t kLogData = 26;
constexpr uint32_t kCatalogRows = 14;
constexpr uint32_t kParentIdNameIndex = 7;
constexpr size_t kPage = jet4::kPageSize;

Bytes modelFile()
{
    return readBytes(referenceFile("jackcess-LOG_QVR-3rows.mdb"));
}

uint16_t get16(const Bytes& b, size_t at)
{
    return le16(b, at);
}
void put16(Bytes& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
size_t pageAt(uint32_t page)
{
    return size_t(page) * kPage;
}
size_t slotAt(uint32_t page, size_t row)
{
    return pageAt(page) + 14 + 2 * row;
}
size_t rowStart(const Bytes& b, uint32_t page, size_t row)
{
    return pageAt(page) + (get16(b, slotAt(page, row)) & 0x1FFF);
}

struct FaultCase {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* expected;
    bool fatal;
};

std::string listFindings(const std::vector<Finding>& findings)
{
    std::string s;
    for (const Finding& f : findings)
        s += "\n  " + describe(f);
    return s.empty() ? " none" : s;
}

const FaultCase kFaults[] = {
    {"RowCountTwoHigh", [](Bytes& b) { put32(b, pageAt(kLogTdef) + 16, 5); }, "row-count", true},
    {"RowCountOneHigh", [](Bytes& b) { put32(b, pageAt(kLogTdef) + 16, 4); }, "row-count", false},
    {"DataPageMarkedFreeInGlobalMap",
     [](Bytes& b) {
         size_t map = rowStart(b, 1, 0);
         uint32_t start = le32(b, map + 1);
         uint32_t bit = kLogData - start;
         b[map + 5 + bit / 8] |= uint8_t(1 << (bit % 8));
     },
     "global-map",
     true},
    {"GlobalMapWindowMovedPastUsedPages",
     [](Bytes& b) {
         // The window starts at 8 with the same pages marked free: pages 0-7
         // are now outside it, and what Jet makes of them is not known.
         size_t map = rowStart(b, 1, 0);
         put32(b, map + 1, 8);
         for (size_t k = 5; k + 1 < 69; ++k)
             b[map + k] = b[map + k + 1];
     },
     "global-map",
     true},
    {"CatalogIndexKeyAltered",
     [](Bytes& b) { b[pageAt(kParentIdNameIndex) + 0x1E0 + 1] ^= 0x01; },
     "index-entries",
     true},
    {"CatalogIndexEntryEndBitCleared",
     [](Bytes& b) {
         size_t bitmap = pageAt(kParentIdNameIndex) + 0x1B;
         size_t i = 0;
         while (b[bitmap + i] == 0)
             ++i;
         b[bitmap + i] &= uint8_t(b[bitmap + i] - 1); // clears the lowest set bit
     },
     "index-entries",
     true},
    {"CatalogIndexFreeSpaceWrong",
     [](Bytes& b) { put16(b, pageAt(kParentIdNameIndex) + 2, 3000); },
     "index-free-space",
     true},
    {"CatalogNameChangedWithoutIndex",
     [](Bytes& b) {
         const uint8_t log[6] = {'L', 0, 'O', 0, 'G', 0};
         auto first = b.begin() + long(pageAt(kCatalogRows));
         auto it = std::search(first, first + long(kPage), log, log + 6);
         ASSERT_NE(it, first + long(kPage));
         it[4] = 'X';
     },
     "index-entries",
     true},
    {"DataPageFreeSpaceWrong",
     [](Bytes& b) { put16(b, pageAt(kLogData) + 2, uint16_t(get16(b, pageAt(kLogData) + 2) - 1)); },
     "free-space",
     true},
    {"RowOffsetInsideSlotTable",
     [](Bytes& b) { put16(b, slotAt(kLogData, 1), 0x0012); },
     "row-offset",
     true},
    {"RowsOverlap",
     [](Bytes& b) {
         uint16_t previous = get16(b, slotAt(kLogData, 1));
         put16(b, slotAt(kLogData, 2), uint16_t(previous + 8));
     },
     "row-offset",
     true},
    {"VariableOffsetsOutOfOrder",
     [](Bytes& b) {
         // Row 0 ends the page; before its 6-byte null mask sit the variable
         // count and the offsets, last column first.
         size_t firstOffset = pageAt(kLogData) + kPage - 6 - 2 - 2;
         put16(b, firstOffset, 0x0FF0);
     },
     "row-decode",
     true},
    {"OwnedPageOfAnotherOwner",
     [](Bytes& b) { put32(b, pageAt(kLogData) + 4, 15); },
     "page-owner",
     true},
    {"TdefMagicWrong", [](Bytes& b) { put32(b, pageAt(kLogTdef) + 12, 1626); }, "tdef", true},
    {"TdefLengthWrong",
     [](Bytes& b) { put32(b, pageAt(kLogTdef) + 8, le32(b, pageAt(kLogTdef) + 8) + 4); },
     "tdef",
     true},
    {"OwnedMapPointsNowhere",
     [](Bytes& b) { put32(b, pageAt(kLogTdef) + 55, (25u << 8) | 9u); },
     "usage-map",
     true},
    {"JetVersionChanged", [](Bytes& b) { b[0x14] = 2; }, "header", true},
    {"DatabaseKeySet", [](Bytes& b) { b[0x3E] ^= 0x10; }, "header", true},
    {"PasswordSet", [](Bytes& b) { b[0x42] ^= 'A'; }, "header", true},
    {"PlainAreaDirty", [](Bytes& b) { b[0x400] = 1; }, "header", true},
    {"FileCutInsideAPage", [](Bytes& b) { b.resize(b.size() - 100); }, "file-size", true},
    {"UnusedPageAppended", [](Bytes& b) { b.resize(b.size() + kPage, 0); }, "orphan-page", false},
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

class Faults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Faults, AreFoundByName)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    Bytes bytes = modelFile();
    GetParam().damage(bytes);
    auto findings = checkImage(Image(bytes));
    EXPECT_TRUE(hasFinding(findings, GetParam().expected))
        << "expected " << GetParam().expected << ", found:" << listFindings(findings);
    EXPECT_EQ(anyFatal(findings), GetParam().fatal) << listFindings(findings);
}

INSTANTIATE_TEST_SUITE_P(OneDamage, Faults, ::testing::ValuesIn(kFaults), [](const auto& info) {
    return std::string(info.param.name);
});

TEST(CheckerFaults, FixedColumnsMovedOntoEachOther)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    Bytes bytes = modelFile();
    Image image(bytes);
    TableDef log = image.tableDef(kLogTdef);
    size_t moved = 0;
    for (size_t i = 0; i < log.columns.size(); ++i) {
        if (log.columns[i].fixed() && log.columns[i].fixedOffset != 0) {
            put16(bytes, pageAt(kLogTdef) + 63 + 25 * i + 21, 0);
            ++moved;
            break;
        }
    }
    ASSERT_EQ(moved, 1u);
    EXPECT_TRUE(hasFinding(checkImage(Image(bytes)), "tdef"));
}

TEST(CheckerFaults, TableWithoutPermissionRows)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    Bytes bytes = modelFile();
    Image image(bytes);
    TableDef aces = image.tableDef(3);
    size_t moved = 0;
    for (const Row& r : image.liveRows(aces)) {
        if (asLong(r, aces.column("ObjectId")) == int32_t(kLogTdef)) {
            // ObjectId is the first fixed column: two bytes into the row.
            put32(bytes, rowStart(bytes, r.where.page, r.where.row) + 2, 25);
            ++moved;
        }
    }
    ASSERT_GT(moved, 0u);
    auto findings = checkImage(Image(bytes));
    EXPECT_TRUE(hasFinding(findings, "ace")) << listFindings(findings);
    EXPECT_TRUE(hasFinding(findings, "index-entries")) << listFindings(findings);
}

TEST(CheckerFaults, TableDefinitionWithoutCatalogRow)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    Bytes bytes = modelFile();
    Image image(bytes);
    TableDef catalog = image.tableDef(2);
    size_t changed = 0;
    for (const Row& r : image.liveRows(catalog)) {
        if (asText(r, catalog.column("Name")) == "LOG") {
            // Type is the Integer at fixed offset 8: a table (1) becomes a query (5).
            put16(bytes, rowStart(bytes, r.where.page, r.where.row) + 2 + 8, 5);
            ++changed;
        }
    }
    ASSERT_EQ(changed, 1u);
    auto findings = checkImage(Image(bytes));
    EXPECT_TRUE(hasFinding(findings, "catalog")) << listFindings(findings);
}

// Damage anywhere must end in findings, never in a crash or an escaping
// exception (this runs under the sanitizers too).
TEST(CheckerFaults, SurvivesRandomDamageAndTruncation)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    const Bytes original = modelFile();
    std::mt19937 rng(20240305);
    for (int round = 0; round < 150; ++round) {
        Bytes bytes = original;
        std::uniform_int_distribution<size_t> where(0, bytes.size() - 1);
        int hits = 1 + int(rng() % 16);
        for (int i = 0; i < hits; ++i)
            bytes[where(rng)] = uint8_t(rng());
        std::vector<Finding> findings;
        EXPECT_NO_THROW(findings = checkImage(Image(bytes))) << "round " << round;
    }
    for (size_t size : {size_t(0), size_t(1), size_t(4095), kPage, 2 * kPage + 7, 20 * kPage}) {
        Bytes bytes(original.begin(), original.begin() + long(size));
        auto findings = checkImage(Image(bytes));
        EXPECT_FALSE(findings.empty()) << "size " << size;
    }
}

TEST(CheckerCommand, ExitsNonZeroAndPrintsTheFinding)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    mdbcheck::testing::TempDir dir;
    Bytes bytes = modelFile();
    put32(bytes, pageAt(kLogTdef) + 16, 7);
    std::string damaged = dir.file("damaged.mdb");
    mdbcheck::testing::writeBytes(damaged, bytes);

    ProcessResult bad = runProcess({MDBCHECK_CLI, damaged});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.out.find("row-count"), std::string::npos) << bad.out;

    ProcessResult good = runProcess({MDBCHECK_CLI, referenceFile("emptyJet4.mdb")});
    EXPECT_EQ(good.exitCode, 0) << good.out;
    EXPECT_EQ(good.out, "");

    // A file Access has used passes only under Access's own rules.
    std::string used = referenceFile("delTestV2000.mdb");
    EXPECT_EQ(runProcess({MDBCHECK_CLI, used}).exitCode, 1);
    EXPECT_EQ(runProcess({MDBCHECK_CLI, "--access-made", used}).exitCode, 0);
    EXPECT_EQ(runProcess({MDBCHECK_CLI}).exitCode, 2);
}

} // namespace
