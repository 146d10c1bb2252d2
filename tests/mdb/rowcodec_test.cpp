#include "mdb/bytes.h"
#include "mdb/datapage.h"
#include "mdb/rowcodec.h"
#include "mdb/tabledef.h"
#include "testfiles.h"

#include <random>

using namespace mdb;

namespace {

std::vector<uint8_t> rowBytes(const std::vector<uint8_t>& file, uint32_t pageNo, uint16_t row)
{
    auto p = mdbtest::page(file, pageNo);
    RowSlot s = dataRowSlot(p, row);
    return {p.begin() + s.start, p.begin() + s.end};
}

template <typename T>
T cellAs(const TableDef& def, const std::vector<Cell>& cells, std::u16string_view name)
{
    int at = def.find(name);
    EXPECT_GE(at, 0);
    const T* v = std::get_if<T>(&cells.at(static_cast<std::size_t>(at)));
    EXPECT_NE(v, nullptr) << utf16ToUtf8(name);
    return v ? *v : T{};
}

} // namespace

TEST(RowCodec, JetCatalogRowDecodesAndEncodesToTheSameBytes)
{
    LOAD_REFERENCE(file, "emptyJet4.mdb");
    TableDef catalog = decodeTableDef(mdbtest::page(file, 2));
    std::vector<uint8_t> tables = rowBytes(file, 17, 0);
    ASSERT_EQ(tables.size(), 75u);
    // 17 columns, 30 fixed bytes, name and owner, EOD 0x2E, eleven var offsets, mask FF 00 00.
    EXPECT_EQ(get16(tables, 0), 17);
    EXPECT_EQ(get16(tables, 0x2E), 0x2E);
    EXPECT_EQ(get16(tables, 0x2E + 2 + 2 * 9), 0x2C); // Owner starts after the name
    EXPECT_EQ(get16(tables, 70), 11);
    EXPECT_EQ(tables[72], 0xFF);

    std::vector<Cell> cells = decodeRow(catalog, tables);
    EXPECT_EQ(cellAs<int64_t>(catalog, cells, u"Id"), 0x0F000001);
    EXPECT_EQ(cellAs<int64_t>(catalog, cells, u"ParentId"), 0x0F000000);
    EXPECT_EQ(cellAs<std::u16string>(catalog, cells, u"Name"), u"Tables");
    EXPECT_EQ(cellAs<int64_t>(catalog, cells, u"Type"), 3);
    EXPECT_EQ(cellAs<int64_t>(catalog, cells, u"Flags"), INT32_MIN);
    EXPECT_EQ(cellAs<std::vector<uint8_t>>(catalog, cells, u"Owner"),
              (std::vector<uint8_t>{0x06, 0xEA}));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(
        cells[static_cast<std::size_t>(catalog.find(u"Connect"))]));
    EXPECT_EQ(encodeRow(catalog, cells), tables);

    // Permissions carry a Yes/No column, stored in the null mask only.
    TableDef aces = decodeTableDef(mdbtest::page(file, 3));
    for (uint16_t r : {4, 5}) {
        std::vector<uint8_t> bytes = rowBytes(file, 18, r);
        std::vector<Cell> ace = decodeRow(aces, bytes);
        EXPECT_EQ(cellAs<bool>(aces, ace, u"FInheritable"), r == 4);
        EXPECT_EQ(encodeRow(aces, ace), bytes);
    }
}

TEST(RowCodec, JackcessLogRowsMatchWhatMdbtoolsExports)
{
    LOAD_REFERENCE(file, "jackcess-LOG_QVR-3rows.mdb");
    TableDef log = decodeTableDef(mdbtest::page(file, 24));
    ASSERT_EQ(dataRowCount(mdbtest::page(file, 26)), 3);
    // Values as mdb-export prints them for this file.
    struct Expected {
        const char16_t* data;
        const char16_t* motivo;
        int64_t utc;
        double tamb;
        int64_t ntct2;
        const char16_t* reles;
        int64_t crc;
        int64_t crcValido;
    } const rows[] = {
        {u"10/01/2024", u"| Tempo", 1704889800, 5.25, 17, u"R0C39", 305441741, 0},
        {u"11/01/2024", u"| Tempo| Rel\u00e9s", 1704893400, 15.25, 1017, u"R1C39", 305441742, 1},
        {u"12/01/2024", u"| Rel\u00e9s", 1704897000, 25.25, 2017, u"R2C39", 305441743, 0},
    };
    for (uint16_t r = 0; r < 3; ++r) {
        std::vector<uint8_t> bytes = rowBytes(file, 26, r);
        std::vector<Cell> cells = decodeRow(log, bytes);
        const Expected& e = rows[r];
        EXPECT_EQ(cellAs<std::u16string>(log, cells, u"Data"), e.data);
        EXPECT_EQ(cellAs<std::u16string>(log, cells, u"Motivo Grava\u00e7\u00e3o"), e.motivo);
        EXPECT_EQ(cellAs<int64_t>(log, cells, u"UTC"), e.utc);
        EXPECT_EQ(cellAs<int64_t>(log, cells, u"Qtde Variaveis"), 42);
        EXPECT_DOUBLE_EQ(cellAs<double>(log, cells, u"TAMB"), e.tamb);
        EXPECT_EQ(cellAs<int64_t>(log, cells, u"NTCT_2"), e.ntct2);
        EXPECT_EQ(cellAs<std::u16string>(log, cells, u"Reles"), e.reles);
        EXPECT_EQ(cellAs<int64_t>(log, cells, u"CRC"), e.crc);
        EXPECT_EQ(cellAs<int64_t>(log, cells, u"CRC_Valido"), e.crcValido);
        // Jackcess stores these columns uncompressed, as our encoder does
        // when compression is off: same bytes.
        EXPECT_EQ(encodeRow(log, cells), bytes);
    }
}

TEST(TextCodec, CompressedAndPlainForms)
{
    const std::vector<uint8_t> relesCompressed = {0xFF, 0xFE, 'R', 'e', 'l', 0xE9, 's'};
    EXPECT_EQ(decodeText(relesCompressed), u"Rel\u00e9s");
    EXPECT_EQ(encodeText(u"Rel\u00e9s", true), relesCompressed);
    // A zero byte switches to two-byte characters and back.
    const std::vector<uint8_t> mixed = {0xFF, 0xFE, 'a', 0x00, 0xA9, 0x03, 0x00, 'b'};
    EXPECT_EQ(decodeText(mixed), u"a\u03A9b");
    EXPECT_EQ(encodeText(u"ab", true), (std::vector<uint8_t>{'a', 0, 'b', 0}));
    EXPECT_EQ(encodeText(u"a\u03A9b", true), (std::vector<uint8_t>{'a', 0, 0xA9, 0x03, 'b', 0}));
    EXPECT_EQ(encodeText(u"abc", false), (std::vector<uint8_t>{'a', 0, 'b', 0, 'c', 0}));
    EXPECT_THROW(decodeText(std::vector<uint8_t>{'a', 0, 'b'}), FormatError);
}

TEST(TextCodec, Utf8Conversions)
{
    EXPECT_EQ(utf8ToUtf16("Motivo Grava\xC3\xA7\xC3\xA3o"), u"Motivo Grava\u00e7\u00e3o");
    EXPECT_EQ(utf16ToUtf8(u"Rel\u00e9s \u20AC \U0001F600"),
              "Rel\xC3\xA9s \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    for (const char* bad : {"\xC3", "\xC3\x28", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xFF"})
        EXPECT_THROW(utf8ToUtf16(bad), FormatError) << bad;
}

TEST(RowCodec, DamagedRowsRaiseInsteadOfCrashing)
{
    LOAD_REFERENCE(file, "jackcess-LOG_QVR-3rows.mdb");
    TableDef log = decodeTableDef(mdbtest::page(file, 24));
    std::vector<uint8_t> good = rowBytes(file, 26, 1);
    std::mt19937 rng(12345);
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> row = good;
        if (round % 3 == 0) {
            row.resize(rng() % good.size());
        } else {
            for (int k = 0; k < 1 + round % 5; ++k)
                row[rng() % row.size()] = static_cast<uint8_t>(rng());
        }
        try {
            decodeRow(log, row);
        } catch (const FormatError&) {
            ++failures;
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(RowCodec, ValuesTheColumnCannotHoldAreRefused)
{
    LOAD_REFERENCE(file, "jackcess-LOG_QVR.mdb");
    TableDef log = decodeTableDef(mdbtest::page(file, 24));
    std::vector<Cell> cells(log.columns.size());
    cells[static_cast<std::size_t>(log.find(u"Data"))] = std::u16string(51, u'x');
    EXPECT_THROW(encodeRow(log, cells), FormatError);
    cells[static_cast<std::size_t>(log.find(u"Data"))] = int64_t{5};
    EXPECT_THROW(encodeRow(log, cells), FormatError);
    cells[static_cast<std::size_t>(log.find(u"Data"))] = std::monostate{};
    cells[static_cast<std::size_t>(log.find(u"TAMB"))] = std::u16string(u"1");
    EXPECT_THROW(encodeRow(log, cells), FormatError);
    EXPECT_THROW(encodeRow(log, std::vector<Cell>(3)), FormatError);
}
