// Decoding of data-log records and reset-log entries against hand-worked
// values, the column names, order and value types the writers hand over, and
// the clearing of a template's table.
#include "logexport/datalogrecord.h"
#include "logexport/exportdatabase.h"
#include "logexport/fieldformat.h"
#include "logexport/resetlogentry.h"
#include "mdb/dao.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace logexport;

namespace {

TEST(FieldFormat, DatesFormattedWhenValidElseAsBuilt)
{
    EXPECT_EQ(formatDate(5, 3, 24), "05/03/24");
    EXPECT_EQ(formatDate(31, 12, 99), "31/12/99");
    EXPECT_EQ(formatDate(1, 1, 0), "01/01/00");
    EXPECT_EQ(formatDate(29, 2, 24), "29/02/24"); // leap year
    EXPECT_EQ(formatDate(29, 2, 0), "29/02/00");  // 2000 is a leap year
    EXPECT_EQ(formatDate(29, 2, 23), "29/2/23");
    EXPECT_EQ(formatDate(31, 4, 24), "31/4/24");
    EXPECT_EQ(formatDate(0, 0, 0), "0/0/0");
    EXPECT_EQ(formatDate(12, 13, 24), "12/13/24");
    EXPECT_EQ(formatDate(255, 255, 255), "255/255/255");
    EXPECT_EQ(formatDate(5, 3, 124), "5/3/124");
}

TEST(FieldFormat, TimesFormattedWhenValidElseAsBuilt)
{
    EXPECT_EQ(formatTime(14, 5, 9), "14:05:09");
    EXPECT_EQ(formatTime(0, 0, 0), "00:00:00");
    EXPECT_EQ(formatTime(23, 59, 59), "23:59:59");
    EXPECT_EQ(formatTime(24, 0, 0), "24:0:0");
    EXPECT_EQ(formatTime(10, 60, 0), "10:60:0");
    EXPECT_EQ(formatTime(10, 0, 60), "10:0:60");
    EXPECT_EQ(formatTime(255, 255, 255), "255:255:255");
}

TEST(FieldFormat, HexTexts)
{
    EXPECT_EQ(hex4(0x00A5), "0x00A5");
    EXPECT_EQ(hex4(0x12), "0x0012");
    EXPECT_EQ(hex4(0), "0x0000");
    EXPECT_EQ(hex4(0xFFFF), "0xFFFF");
    EXPECT_EQ(right4(0x00AB), "00AB");
    EXPECT_EQ(right4(0x01E3), "01E3");
    EXPECT_EQ(right4(0xFFFF), "FFFF");
}

TEST(FieldFormat, RecordCrcMatchesModbusVector)
{
    // The request 01 03 00 00 00 0A carries CRC bytes C5 CD (0xCDC5); packed
    // low byte first into words it is 0x0301, 0x0000, 0x0A00.
    const uint16_t words[] = {0x0301, 0x0000, 0x0A00};
    EXPECT_EQ(recordCrc(words, 3), 0xCDC5);
    EXPECT_EQ(recordCrc(words, 0), 0xFFFF);
}

// A record with 14:05:09 on 05/03/24 and small distinct values elsewhere.
DataLogWords sampleRecord()
{
    DataLogWords w{};
    w[0] = 0x0503;
    w[1] = 0x180E;
    w[2] = 0x0509;
    for (std::size_t i = 3; i < 40; ++i)
        w[i] = static_cast<uint16_t>(100 + i);
    return w;
}

using RowValue = std::variant<std::string, int16_t, int32_t, double>;

struct DataCase {
    const char* name;
    std::size_t word;
    uint16_t value;
    std::function<RowValue(const DataLogRow&)> field;
    RowValue expected;
};

void PrintTo(const DataCase& c, std::ostream* os)
{
    *os << c.name;
}

class DataLogDecode : public testing::TestWithParam<DataCase> {};

TEST_P(DataLogDecode, Column)
{
    const DataCase& c = GetParam();
    DataLogWords w = sampleRecord();
    w[c.word] = c.value;
    EXPECT_EQ(c.field(decodeDataLog(w)), c.expected);
}

RowValue il(const DataLogRow& r)
{
    return std::visit([](auto v) { return RowValue(v); }, r.il);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions,
    DataLogDecode,
    testing::Values(
        DataCase{"tambNegative", 5, 0xFFF6, [](auto& r) { return RowValue(r.tamb); }, -1.0},
        DataCase{"tambMax", 5, 0x7FFF, [](auto& r) { return RowValue(r.tamb); }, 3276.7},
        DataCase{"tmecHundred", 6, 100, [](auto& r) { return RowValue(r.tmec); }, 10.0},
        DataCase{"tmecMinimum", 6, 0x8000, [](auto& r) { return RowValue(r.tmec); }, -3276.8},
        DataCase{"utcMinimum", 3, 0x8000, [](auto& r) { return RowValue(r.utc); }, int32_t{-32768}},
        DataCase{"utcMinusThree", 3, 0xFFFD, [](auto& r) { return RowValue(r.utc); }, int32_t{-3}},
        DataCase{"vmt1", 7, 253, [](auto& r) { return RowValue(r.vmt1); }, 25.3},
        DataCase{"vmt3", 9, 65535, [](auto& r) { return RowValue(r.vmt3); }, 6553.5},
        DataCase{"imt2", 11, 1234, [](auto& r) { return RowValue(r.imt2); }, 12.34},
        DataCase{"itcmed", 25, 65535, [](auto& r) { return RowValue(r.itcmed); }, 655.35},
        DataCase{"ilTenths", 14, 0x7FFF, il, 3276.7},
        DataCase{"ilRaw", 14, 0x8000, il, int32_t{32768}},
        DataCase{"ilRawMax", 14, 0xFFFF, il, int32_t{65535}},
        DataCase{"ntct2Unsigned", 17, 0xFFFF, [](auto& r) { return RowValue(r.ntct2); }, 65535},
        DataCase{"uosc", 33, 40000, [](auto& r) { return RowValue(r.uosc); }, int32_t{40000}},
        DataCase{"qtde",
                 4,
                 0xFF00,
                 [](auto& r) { return RowValue(r.qtdeVariaveis); },
                 int16_t{255}},
        DataCase{"auto1IsW35",
                 35,
                 0x00A5,
                 [](auto& r) { return RowValue(r.autodiagnostico1); },
                 std::string("0x00A5")},
        DataCase{"auto2IsW34",
                 34,
                 0xBEEF,
                 [](auto& r) { return RowValue(r.autodiagnostico2); },
                 std::string("0xBEEF")},
        DataCase{"alarm1IsW38",
                 38,
                 0x0001,
                 [](auto& r) { return RowValue(r.alarmes1); },
                 std::string("0x0001")},
        DataCase{"alarm2IsW37",
                 37,
                 0x0ABC,
                 [](auto& r) { return RowValue(r.alarmes2); },
                 std::string("0x0ABC")},
        DataCase{"alarm3IsW36",
                 36,
                 0xF000,
                 [](auto& r) { return RowValue(r.alarmes3); },
                 std::string("0xF000")},
        DataCase{"reles",
                 39,
                 0x12,
                 [](auto& r) { return RowValue(r.reles); },
                 std::string("0x0012")},
        DataCase{"date",
                 0,
                 0x1F0C,
                 [](auto& r) { return RowValue(r.data); },
                 std::string("31/12/24")},
        DataCase{"badDate",
                 0,
                 0x1F02,
                 [](auto& r) { return RowValue(r.data); },
                 std::string("31/2/24")},
        DataCase{"time",
                 2,
                 0x3B3B,
                 [](auto& r) { return RowValue(r.hora); },
                 std::string("14:59:59")}),
    [](const testing::TestParamInfo<DataCase>& info) { return std::string(info.param.name); });

TEST(DataLogDecodeRecord, SampleTimestampAndValidCrc)
{
    DataLogWords w = sampleRecord();
    // The simulated device's own CRC routine gives the expected value.
    const uint16_t crc = sim::recordCrc(w.data(), 40);
    w[40] = crc;
    const DataLogRow r = decodeDataLog(w);
    EXPECT_EQ(r.data, "05/03/24");
    EXPECT_EQ(r.hora, "14:05:09");
    EXPECT_EQ(r.crc, crc);
    EXPECT_EQ(r.crcValido, 1);
    for (std::size_t i = 0; i < 40; ++i) {
        DataLogWords changed = w;
        changed[i] ^= 0x0100;
        EXPECT_EQ(decodeDataLog(changed).crcValido, 0) << "word " << i;
    }
}

TEST(DataLogDecodeRecord, ErasedRecord)
{
    DataLogWords w;
    w.fill(0xFFFF);
    const DataLogRow r = decodeDataLog(w);
    EXPECT_EQ(r.data, "255/255/255");
    EXPECT_EQ(r.hora, "255:255:255");
    EXPECT_EQ(r.utc, -1);
    EXPECT_EQ(r.qtdeVariaveis, 255);
    EXPECT_EQ(r.reasons, 0x1F);
    EXPECT_EQ(r.tamb, -0.1);
    EXPECT_EQ(r.tmec, -0.1);
    EXPECT_EQ(r.vmt2, 6553.5);
    EXPECT_EQ(r.imt1, 655.35);
    EXPECT_EQ(r.il, (std::variant<double, int32_t>(int32_t{65535})));
    EXPECT_EQ(r.ntcm1, 65535);
    EXPECT_EQ(r.reles, "0xFFFF");
    EXPECT_EQ(r.crc, 65535);
    EXPECT_EQ(r.crcValido, sim::recordCrc(w.data(), 40) == 0xFFFF ? 1 : 0);
}

TEST(DataLogReasons, AppendedToTheCurrentTextInBitOrder)
{
    EXPECT_EQ(reasonText("", kReasonTempo | kReasonErros), "| Tempo| Erros");
    EXPECT_EQ(reasonText("", 0x1F), "| Tempo| Alarmes| Erros| Relés| Reset");
    EXPECT_EQ(reasonText("X", kReasonReles), "X| Relés");
    EXPECT_EQ(reasonText("", 0), "");
    // Bits 5..7 of the byte mean nothing.
    DataLogWords w = sampleRecord();
    w[4] = 0x03E4; // reasons byte 0xE4: only bit 2 of the five
    EXPECT_EQ(decodeDataLog(w).reasons, kReasonErros);
}

// Records every value handed to a column, by column name, in order.
class RecordingRecordset : public mdb::Recordset {
public:
    explicit RecordingRecordset(std::vector<std::string> columns,
                                std::map<std::string, mdb::Value> defaults = {})
        : m_columns(std::move(columns)), m_values(std::move(defaults))
    {
    }
    void MoveFirst() override {}
    void MoveLast() override {}
    bool Eof() const override { return true; }
    void Delete() override {}
    void AddNew() override {}
    void Update() override {}
    void Close() override {}

    std::vector<std::pair<std::string, mdb::Value>> assigned;

protected:
    int columnIndex(std::string_view name) const override
    {
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            if (m_columns[i] == name)
                return static_cast<int>(i);
        }
        throw mdb::Error(3265, "Item not found in this collection.");
    }
    void setValue(int column, const mdb::Value& v) override
    {
        const std::string& name = m_columns[static_cast<std::size_t>(column)];
        assigned.emplace_back(name, v);
        m_values[name] = v;
    }
    mdb::Value getValue(int column) const override
    {
        auto it = m_values.find(m_columns[static_cast<std::size_t>(column)]);
        return it == m_values.end() ? mdb::Value() : it->second;
    }

private:
    std::vector<std::string> m_columns;
    std::map<std::string, mdb::Value> m_values;
};

enum class Kind { Text, I16, I32, F64 };

Kind kindOf(const mdb::Value& v)
{
    switch (v.index()) {
    case 1:
        return Kind::Text;
    case 2:
        return Kind::I16;
    case 3:
        return Kind::I32;
    default:
        return Kind::F64;
    }
}

const std::vector<std::pair<std::string, Kind>> kDataColumns = {
    {"Data", Kind::Text},
    {"Hora", Kind::Text},
    {"UTC", Kind::I32},
    {"Qtde Variaveis", Kind::I16},
    {"Motivo Gravação", Kind::Text},
    {"TAMB", Kind::F64},
    {"TMEC", Kind::F64},
    {"VMT_1", Kind::F64},
    {"VMT_2", Kind::F64},
    {"VMT_3", Kind::F64},
    {"IMT_1", Kind::F64},
    {"IMT_2", Kind::F64},
    {"IMT_3", Kind::F64},
    {"IAQMEC", Kind::F64},
    {"IL", Kind::F64},
    {"V1", Kind::F64},
    {"NTCT_1", Kind::I32},
    {"NTCT_2", Kind::I32},
    {"NTCM_1", Kind::I32},
    {"NTCM_2", Kind::I32},
    {"NTCMED", Kind::F64},
    {"ITCT_1", Kind::I32},
    {"ITCT_2", Kind::I32},
    {"ITCM_1", Kind::I32},
    {"ITCM_2", Kind::I32},
    {"ITCMED", Kind::F64},
    {"TTCTOT", Kind::I32},
    {"TTCMAN", Kind::I32},
    {"TOMT", Kind::F64},
    {"POSTC", Kind::I32},
    {"POSTCANT", Kind::I32},
    {"OSMTNS_1", Kind::I32},
    {"OSMTNS_2", Kind::I32},
    {"UOSC", Kind::I32},
    {"Autodiagnostico (1)", Kind::Text},
    {"Autodiagnostico (2)", Kind::Text},
    {"Alarmes (1)", Kind::Text},
    {"Alarmes (2)", Kind::Text},
    {"Alarmes (3)", Kind::Text},
    {"Reles", Kind::Text},
    {"CRC", Kind::I32},
    {"CRC_Valido", Kind::I16},
};

std::vector<std::string> namesOf(const std::vector<std::pair<std::string, Kind>>& cols)
{
    std::vector<std::string> names;
    for (const auto& c : cols)
        names.push_back(c.first);
    return names;
}

TEST(DataLogWriter, AssignsEveryColumnInOrderWithItsType)
{
    RecordingRecordset rs(namesOf(kDataColumns));
    DataLogWords w = sampleRecord();
    w[4] = 0x0A05; // Tempo and Erros
    writeDataLogRow(rs, decodeDataLog(w));
    ASSERT_EQ(rs.assigned.size(), kDataColumns.size());
    for (std::size_t i = 0; i < kDataColumns.size(); ++i) {
        EXPECT_EQ(rs.assigned[i].first, kDataColumns[i].first) << "position " << i;
        EXPECT_EQ(kindOf(rs.assigned[i].second), kDataColumns[i].second) << kDataColumns[i].first;
    }
    EXPECT_EQ(rs.assigned[4].second, mdb::Value(std::string("| Tempo| Erros")));
}

TEST(DataLogWriter, ReasonsBuildOnTheTemplateDefaultOrStayUnassigned)
{
    RecordingRecordset withDefault(namesOf(kDataColumns),
                                   {{"Motivo Gravação", mdb::Value(std::string("D"))}});
    DataLogWords w = sampleRecord();
    w[4] = 0x0010; // Reset only
    writeDataLogRow(withDefault, decodeDataLog(w));
    EXPECT_EQ(withDefault.assigned[4].second, mdb::Value(std::string("D| Reset")));

    RecordingRecordset none(namesOf(kDataColumns));
    w[4] = 0x00E0; // bits 5..7 only
    writeDataLogRow(none, decodeDataLog(w));
    EXPECT_EQ(none.assigned.size(), kDataColumns.size() - 1);
    for (const auto& a : none.assigned)
        EXPECT_NE(a.first, "Motivo Gravação");
    // The raw IL form goes out as a 32-bit integer.
    w[14] = 0x9000;
    RecordingRecordset raw(namesOf(kDataColumns));
    writeDataLogRow(raw, decodeDataLog(w));
    EXPECT_EQ(raw.assigned[13].first, "IL");
    EXPECT_EQ(raw.assigned[13].second, mdb::Value(int32_t{0x9000}));
}

TEST(DataLogWriter, MissingColumnRaises)
{
    auto names = namesOf(kDataColumns);
    names.erase(names.begin() + 20); // NTCMED
    RecordingRecordset rs(names);
    try {
        writeDataLogRow(rs, decodeDataLog(sampleRecord()));
        FAIL() << "no error for a missing column";
    } catch (const mdb::Error& e) {
        EXPECT_EQ(e.number(), 3265);
    }
}

// A table of `rows` rows with DAO's moves: MoveFirst/MoveLast fail on an empty
// table, a deleted row leaves no current row until the next move.
class RowsRecordset : public mdb::Recordset {
public:
    RowsRecordset(int rows, bool refuseDelete) : m_rows(rows), m_refuseDelete(refuseDelete) {}
    void MoveFirst() override { move(); }
    void MoveLast() override { move(); }
    bool Eof() const override { return m_rows == 0; }
    void Delete() override
    {
        ++deletes;
        // A routine that keeps retrying ends here and fails its check, not the run.
        if (deletes > 100)
            m_rows = 0;
        if (m_refuseDelete || !m_current)
            throw mdb::Error(3027, "Cannot update. Database or object is read-only.");
        --m_rows;
        m_current = false;
    }
    void AddNew() override {}
    void Update() override {}
    void Close() override {}

    int rows() const { return m_rows; }
    int deletes = 0;

protected:
    int columnIndex(std::string_view) const override { return 0; }
    void setValue(int, const mdb::Value&) override {}
    mdb::Value getValue(int) const override { return {}; }

private:
    void move()
    {
        if (m_rows == 0)
            throw mdb::Error(3021, "No current record.");
        m_current = true;
    }
    int m_rows;
    bool m_refuseDelete;
    bool m_current = false;
};

TEST(TableClearing, EmptiesAnyTableAndNeverHangs)
{
    for (int rows : {0, 1, 5}) {
        RowsRecordset rs(rows, false);
        clearTable(rs);
        EXPECT_EQ(rs.rows(), 0);
        EXPECT_EQ(rs.deletes, rows);
    }
    // A table that refuses deletion keeps its rows; the routine raises the
    // refusal at the first row instead of retrying it for ever.
    RowsRecordset readOnly(3, true);
    EXPECT_THROW(clearTable(readOnly), mdb::Error);
    EXPECT_EQ(readOnly.rows(), 3);
    EXPECT_EQ(readOnly.deletes, 1);
}

ResetLogWords sampleEntry()
{
    ResetLogWords w{};
    w[0] = 0x0503; // 5 March
    w[1] = 0x180E; // 24, 14 h
    w[2] = 0x0509; // 5 min 9 s
    w[3] = 0x0780; // 7 variables, UTC byte 0x80
    w[4] = 124;
    w[5] = 3;
    w[6] = 0x00AB;
    w[7] = 0x0201; // integrity 2, reset point 1
    w[8] = 50000;
    for (std::size_t n = 0; n < 8; ++n)
        w[9 + n] = static_cast<uint16_t>(1000 + n);
    w[17] = 0x01E3;
    w[18] = 0x0001;
    w[19] = 0x2A3C;
    w[20] = 0x1000;
    w[21] = 0x2000;
    w[22] = 0x0003;
    w[23] = 0x0004;
    w[24] = 0xFFFF;
    return w;
}

TEST(ResetLogDecode, EntryColumns)
{
    ResetLogWords w = sampleEntry();
    const ResetLogRow r = decodeResetLog(w);
    EXPECT_EQ(r.data, "05/03/24");
    EXPECT_EQ(r.hora, "14:05:09");
    EXPECT_EQ(r.utc, -128);
    EXPECT_EQ(r.qtdeVariaveis, 7);
    EXPECT_EQ(r.versaoFirmware, 124);
    EXPECT_EQ(r.subversao, 3);
    EXPECT_EQ(r.rcon, "00AB");
    EXPECT_EQ(r.resetPoint, 1);
    EXPECT_EQ(r.integrityCheck, 2);
    EXPECT_EQ(r.globalToken, 50000);
    EXPECT_EQ(r.contador[0], 1000);
    EXPECT_EQ(r.contador[7], 1007);
    EXPECT_EQ(r.intcon1, "01E3");
    EXPECT_EQ(r.pc, "0x0001 | 2A3C");
    EXPECT_EQ(r.w15, "1000");
    EXPECT_EQ(r.w15Max, "2000");
    EXPECT_EQ(r.lastComp2Save, "FFFF");

    w[3] = 0x007F;
    EXPECT_EQ(decodeResetLog(w).utc, 127);
    w[3] = 0x00FF;
    EXPECT_EQ(decodeResetLog(w).utc, -1);
    w[18] = 0;
    w[19] = 0;
    EXPECT_EQ(decodeResetLog(w).pc, "0x0000 | 0000");
}

TEST(ResetLogDecode, CrcOverTheFirst25Words)
{
    ResetLogWords w = sampleEntry();
    w[25] = sim::recordCrc(w.data(), 25);
    EXPECT_EQ(decodeResetLog(w).crcValido, 1);
    EXPECT_EQ(decodeResetLog(w).crc, w[25]);
    for (std::size_t i = 0; i < 25; ++i) {
        ResetLogWords changed = w;
        changed[i] ^= 0x0001;
        EXPECT_EQ(decodeResetLog(changed).crcValido, 0) << "word " << i;
    }
    EXPECT_FALSE(isBlankResetSlot(w));
    w[4] = 0xFFFF;
    EXPECT_TRUE(isBlankResetSlot(w));
}

TEST(ResetLogWriter, AssignsEveryColumnInOrderWithItsType)
{
    const std::vector<std::pair<std::string, Kind>> columns = {
        {"Data", Kind::Text},
        {"Hora", Kind::Text},
        {"UTC", Kind::I16},
        {"Qtde Variaveis", Kind::I16},
        {"Versao Firmware", Kind::I32},
        {"Subversao", Kind::I32},
        {"RCON", Kind::Text},
        {"Reset Point", Kind::I16},
        {"Integrity Check", Kind::I16},
        {"Global Token", Kind::I32},
        {"Contador_0", Kind::I32},
        {"Contador_1", Kind::I32},
        {"Contador_2", Kind::I32},
        {"Contador_3", Kind::I32},
        {"Contador_4", Kind::I32},
        {"Contador_5", Kind::I32},
        {"Contador_6", Kind::I32},
        {"Contador_7", Kind::I32},
        {"INTCON1", Kind::Text},
        {"PC", Kind::Text},
        {"W15", Kind::Text},
        {"W15_MAX", Kind::Text},
        {"last_ret_save", Kind::Text},
        {"last_comp1_save", Kind::Text},
        {"last_comp2_save", Kind::Text},
        {"CRC", Kind::I32},
        {"CRC_Valido", Kind::I16},
    };
    RecordingRecordset rs(namesOf(columns));
    writeResetLogRow(rs, decodeResetLog(sampleEntry()));
    ASSERT_EQ(rs.assigned.size(), columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(rs.assigned[i].first, columns[i].first) << "position " << i;
        EXPECT_EQ(kindOf(rs.assigned[i].second), columns[i].second) << columns[i].first;
    }
    EXPECT_EQ(rs.assigned[17].second, mdb::Value(int32_t{1007}));
}

} // namespace
