// The reader helpers: child processes without a shell, the delimited-text
// and JSON parsers, and what mdbtools and mdb-reader see in a Jackcess file.
#include "mdbtools.h"
#include "minijson.h"
#include "testfiles.h"

#include <gtest/gtest.h>

using namespace mdbcheck;
using mdbcheck::testing::referenceFile;

namespace {

TEST(ChildProcess, PassesArgumentsWithoutAShell)
{
    ProcessResult r = runProcess({"printf", "%s|%s", "a;b $(echo x) `y`", "'\"q\""});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "a;b $(echo x) `y`|'\"q\"");

    ProcessResult fails = runProcess({"sh", "-c", "echo oops >&2; exit 3"});
    EXPECT_EQ(fails.exitCode, 3);
    EXPECT_EQ(fails.err, "oops\n");
    EXPECT_THROW(runProcess({"no-such-program-for-mdbcheck"}), std::runtime_error);
}

TEST(DelimitedText, SeparatesQuotedTextNullsAndEmptyText)
{
    auto t = parseDelimited("a,b,c\n\"x, y\",,\"\"\n\"say \"\"hi\"\"\",-1.5,\"| Tempo| Relés\"\n",
                            ',',
                            '"');
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[1][0], "x, y");
    EXPECT_EQ(t[1][1], std::nullopt); // unquoted and empty: null
    EXPECT_EQ(t[1][2], "");           // quoted and empty: empty text
    EXPECT_EQ(t[2][0], "say \"hi\"");
    EXPECT_EQ(t[2][1], "-1.5");
    EXPECT_EQ(t[2][2], "| Tempo| Relés");

    auto multiline = parseDelimited("h\n\"one\ntwo\"\n", ',', '"');
    ASSERT_EQ(multiline.size(), 2u);
    EXPECT_EQ(multiline[1][0], "one\ntwo");
    EXPECT_THROW(parseDelimited("\"open\n", ',', '"'), std::runtime_error);
}

TEST(Json, ReadsTheReaderScriptsOutput)
{
    json::Value v =
        json::parse(R"({"columns":["A","Motivo Grava\u00e7\u00e3o"],"rowCount":2,)"
                    R"("rows":[["6553.5",null],["-1","| Rel\u00e9s \"x\" \ud83d\ude00"]]})");
    EXPECT_EQ(v.at("rowCount").text, "2");
    EXPECT_EQ(v.at("columns").items[1].text, "Motivo Gravação");
    EXPECT_TRUE(v.at("rows").items[0].items[1].isNull());
    EXPECT_EQ(v.at("rows").items[1].items[1].text, "| Relés \"x\" \xF0\x9F\x98\x80");
    EXPECT_THROW(json::parse("{\"a\":1"), std::runtime_error);
    EXPECT_THROW(json::parse("[1] x"), std::runtime_error);
    EXPECT_THROW(v.at("missing"), std::runtime_error);
}

TEST(Mdbtools, SeeTheJackcessModel)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    std::string file = referenceFile("jackcess-LOG_QVR-3rows.mdb");
    EXPECT_EQ(mdbVersion(file), "JET4");
    auto tables = mdbTables(file);
    EXPECT_NE(std::find(tables.begin(), tables.end(), "MSysObjects"), tables.end());
    EXPECT_NE(std::find(tables.begin(), tables.end(), "LOG"), tables.end());
    auto schema = mdbSchema(file, "LOG");
    ASSERT_EQ(schema.size(), 42u);
    EXPECT_EQ(schema[0], (SchemaColumn{"Data", "Text (50)"}));
    EXPECT_EQ(schema[4], (SchemaColumn{"Motivo Gravação", "Text (50)"}));
    EXPECT_EQ(schema[5], (SchemaColumn{"TAMB", "Double"}));
    EXPECT_EQ(schema[41].name, "CRC_Valido");
    EXPECT_EQ(mdbCount(file, "LOG"), 3);

    auto rows = mdbExport(file, "LOG");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].at("Motivo Gravação"), "| Tempo| Relés");
    EXPECT_EQ(rows[0].at("Hora"), "12:30:00");
    EXPECT_EQ(rows[0].at("Qtde Variaveis"), "42");
    EXPECT_EQ(rows[2].at("TAMB"), "25.25");
    EXPECT_THROW(mdbCount(file, "NoSuchTable"), std::runtime_error);
}

TEST(MdbtoolsReader, SeesTheJackcessModel)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    std::string file = referenceFile("jackcess-LOG_QVR-3rows.mdb");
    ReaderTable t = mdbReaderTable(file, "LOG");
    EXPECT_EQ(t.rowCount, 3);
    ASSERT_EQ(t.columns.size(), 42u);
    EXPECT_EQ(t.columns[4], "Motivo Gravação");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[1].at("Motivo Gravação"), "| Tempo| Relés");
    EXPECT_EQ(t.rows[2].at("TAMB"), "25.25");
    EXPECT_EQ(t.rows[0].at("UTC"), "1704889800");

    auto names = mdbReaderTableNames(file);
    EXPECT_NE(std::find(names.begin(), names.end(), "MSysACEs"), names.end());
    EXPECT_THROW(mdbReaderRows(file, "NoSuchTable"), std::runtime_error);
}

} // namespace
