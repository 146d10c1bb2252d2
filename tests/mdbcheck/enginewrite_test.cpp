// Files written through the engine's DAO face, read back by mdbtools,
// mdb-reader and the structural checker.
#include "checker.h"
#include "enginefill.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

using namespace mdbcheck;
using namespace mdbcheck::testing;

namespace {

std::string findingsText(const std::vector<Finding>& findings)
{
    std::string s;
    for (const Finding& f : findings)
        s += "\n  " + describe(f);
    return s;
}

class EngineWrites : public ::testing::TestWithParam<TemplateCase> {
protected:
    void SetUp() override
    {
        LOGQVR_NEEDS_REFERENCE_MDB();
        std::string from = templateFile(GetParam().generated);
        ASSERT_TRUE(std::filesystem::exists(from)) << from << " was not generated";
        m_file = m_dir.copyIn(from, GetParam().generated);
        m_schema = mdbSchema(referenceFile(GetParam().model), "LOG");
    }

    void expectRows(const std::vector<TextRow>& seen, const std::vector<ValueRow>& written)
    {
        ASSERT_EQ(seen.size(), written.size());
        for (size_t r = 0; r < written.size(); ++r) {
            std::string m = rowMismatch(m_schema, written[r], seen[r]);
            EXPECT_EQ(m, "") << "row " << r;
            if (!m.empty())
                return;
        }
    }

    void expectClean()
    {
        auto findings = checkFile(m_file);
        EXPECT_TRUE(findings.empty()) << findingsText(findings);
    }

    TempDir m_dir;
    std::string m_file;
    Schema m_schema;
};

TEST_P(EngineWrites, MdbtoolsReadBackEveryValue)
{
    auto rows = sampleRows(m_schema, 40);
    fillTemplate(m_file, m_schema, rows);
    auto exported = mdbExport(m_file, "LOG");
    expectRows(exported, rows);
    EXPECT_EQ(mdbCount(m_file, "LOG"), long(exported.size()));
    expectClean();
}

TEST_P(EngineWrites, MdbReaderReadsBackEveryValue)
{
    auto rows = sampleRows(m_schema, 40);
    fillTemplate(m_file, m_schema, rows);
    ReaderTable t = mdbReaderTable(m_file, "LOG");
    EXPECT_EQ(t.rowCount, 40);
    expectRows(t.rows, rows);
}

// Each export empties the template first; the file must not grow from one
// export to the next of the same size.
TEST_P(EngineWrites, ClearAndRefillDoesNotGrow)
{
    auto first = sampleRows(m_schema, 300);
    fillTemplate(m_file, m_schema, first);
    auto sizeAfterFirst = std::filesystem::file_size(m_file);
    std::vector<ValueRow> second(first.rbegin(), first.rend());
    fillTemplate(m_file, m_schema, second);
    fillTemplate(m_file, m_schema, second);
    EXPECT_EQ(std::filesystem::file_size(m_file), sizeAfterFirst);
    expectRows(mdbExport(m_file, "LOG"), second);
    EXPECT_EQ(mdbCount(m_file, "LOG"), 300);
    expectClean();

    // A short export after a long one, as "last N records" after "whole memory".
    std::vector<ValueRow> few(first.begin() + 100, first.begin() + 105);
    fillTemplate(m_file, m_schema, few);
    auto exported = mdbExport(m_file, "LOG");
    expectRows(exported, few);
    EXPECT_EQ(mdbCount(m_file, "LOG"), long(exported.size()));
    expectClean();

    fillTemplate(m_file, m_schema, {});
    EXPECT_TRUE(mdbExport(m_file, "LOG").empty());
    EXPECT_EQ(mdbCount(m_file, "LOG"), 0);
    expectClean();
}

INSTANTIATE_TEST_SUITE_P(Generated,
                         EngineWrites,
                         ::testing::ValuesIn(kTemplates),
                         templateCaseName);

// The whole data-log memory: 10380 records.
TEST(EngineWritesFullLog, TenThousandRowsReader)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    TempDir dir;
    std::string from = templateFile("LOG_QVR.mdb");
    ASSERT_TRUE(std::filesystem::exists(from)) << from << " was not generated";
    std::string file = dir.copyIn(from, "LOG_QVR.mdb");
    Schema schema = mdbSchema(referenceFile("jackcess-LOG_QVR.mdb"), "LOG");
    auto rows = sampleRows(schema, 10380);

    auto start = std::chrono::steady_clock::now();
    fillTemplate(file, schema, rows);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("10380 rows written in %.2f s (%.0f rows/s), file %ju bytes\n",
                seconds,
                10380 / seconds,
                uintmax_t(std::filesystem::file_size(file)));

    auto exported = mdbExport(file, "LOG");
    ASSERT_EQ(exported.size(), rows.size());
    EXPECT_EQ(mdbCount(file, "LOG"), 10380);
    for (size_t r : {size_t(0), size_t(1), size_t(4999), size_t(10379)})
        EXPECT_EQ(rowMismatch(schema, rows[r], exported[r]), "") << "row " << r;
    ReaderTable t = mdbReaderTable(file, "LOG");
    EXPECT_EQ(t.rowCount, 10380);
    ASSERT_EQ(t.rows.size(), rows.size());
    EXPECT_EQ(rowMismatch(schema, rows[10379], t.rows[10379]), "");
    auto findings = checkFile(file);
    EXPECT_TRUE(findings.empty()) << findingsText(findings);
}

// The downloads hand values over with their own types and the engine
// converts them to the column's type, as Jet would.
TEST(EngineConversions, ValuesTakeTheColumnsType)
{
    TempDir dir;
    std::string from = templateFile("LOG_QVR.mdb");
    ASSERT_TRUE(std::filesystem::exists(from)) << from << " was not generated";
    std::string file = dir.copyIn(from, "LOG_QVR.mdb");
    {
        auto db = mdb::dbEngine().OpenDatabase(file, false, false, ";PWD=");
        auto rs = db->OpenRecordset("LOG");
        clearTable(*rs);
        rs->AddNew();
        rs->Fields("IL") = int32_t(65535);   // a 32-bit integer into a Double
        rs->Fields("UTC") = int16_t(-32768); // a 16-bit integer into a Long
        rs->Fields("CRC_Valido") = int16_t(1);
        rs->Fields("Data") = std::string("05/03/24");
        rs->Update();
        EXPECT_THROW(rs->Fields("No such column"), mdb::Error);
        rs->Close();
        db->Close();
    }
    auto rows = mdbExport(file, "LOG");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::stod(rows[0].at("IL")), 65535.0);
    EXPECT_EQ(rows[0].at("UTC"), "-32768");
    EXPECT_EQ(rows[0].at("CRC_Valido"), "1");
    EXPECT_EQ(rows[0].at("Data"), "05/03/24");
    EXPECT_EQ(rows[0].count("Motivo Gravação"), 0u) << "an unassigned column stays null";
}

} // namespace
