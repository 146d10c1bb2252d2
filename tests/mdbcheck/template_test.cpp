// The generated templates as other readers see them, and their system tables
// compared with what the Jet engine itself writes into an empty database.
#include "checker.h"
#include "mdbtools.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <tuple>

using namespace mdbcheck;
using mdbcheck::testing::kTemplates;
using mdbcheck::testing::referenceFile;
using mdbcheck::testing::TemplateCase;
using mdbcheck::testing::templateCaseName;
using mdbcheck::testing::templateFile;

namespace {

class Templates : public ::testing::TestWithParam<TemplateCase> {
protected:
    void SetUp() override
    {
        m_path = templateFile(GetParam().generated);
        ASSERT_TRUE(std::filesystem::exists(m_path))
            << m_path << " was not generated (build the template generator first)";
    }
    std::string m_path;
};

TEST_P(Templates, MdbtoolsSeeTheModelsTable)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    EXPECT_EQ(mdbVersion(m_path), "JET4");
    EXPECT_EQ(mdbSchema(m_path, "LOG"), mdbSchema(referenceFile(GetParam().model), "LOG"));
    auto tables = mdbTables(m_path);
    for (const char* t : {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships", "LOG"})
        EXPECT_NE(std::find(tables.begin(), tables.end(), t), tables.end()) << t;
    EXPECT_EQ(mdbCount(m_path, "LOG"), 0);
    EXPECT_TRUE(mdbExport(m_path, "LOG").empty());
}

TEST_P(Templates, MdbReaderListsTheColumns)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    ReaderTable t = mdbReaderTable(m_path, "LOG");
    std::vector<std::string> expected;
    for (const SchemaColumn& c : mdbSchema(referenceFile(GetParam().model), "LOG"))
        expected.push_back(c.name);
    EXPECT_EQ(t.columns, expected);
    EXPECT_EQ(t.rowCount, 0);
    EXPECT_TRUE(t.rows.empty());
    auto names = mdbReaderTableNames(m_path);
    EXPECT_NE(std::find(names.begin(), names.end(), "MSysObjects"), names.end());
}

TEST_P(Templates, PassTheStructuralChecker)
{
    for (const Finding& f : checkFile(m_path))
        ADD_FAILURE() << describe(f);
}

// The system tables as Jet built them are the model: same definitions,
// catalog rows and permission rows, apart from LOG's own objects and dates.
struct SystemView {
    std::map<std::string, TableDef> tables; // the four Jet system tables
    std::map<std::string, std::tuple<int16_t, int32_t, std::string, Bytes>> catalog;
    std::multiset<std::tuple<std::string, Bytes, int32_t, uint8_t>> aces; // by object name
    int32_t logId = 0;
};

std::optional<Bytes> rawValue(const Row& r, const Column* c)
{
    auto it = r.values.find(c->number);
    return it == r.values.end() ? std::nullopt : it->second;
}

SystemView systemView(const std::string& path)
{
    Image image = Image::fromFile(path);
    SystemView v;
    TableDef cat = image.tableDef(jet4::kCatalogPage);
    std::map<int32_t, std::string> names;
    std::vector<Row> rows = image.liveRows(cat);
    for (const Row& r : rows)
        names[asLong(r, cat.column("Id")).value()] = asText(r, cat.column("Name")).value();
    for (const Row& r : rows) {
        std::string name = asText(r, cat.column("Name")).value();
        int32_t id = asLong(r, cat.column("Id")).value();
        int16_t type = asInteger(r, cat.column("Type")).value();
        int32_t flags = asLong(r, cat.column("Flags")).value();
        std::string parent = names[asLong(r, cat.column("ParentId")).value()];
        v.catalog[name] = {type, flags, parent, rawValue(r, cat.column("Owner")).value_or(Bytes{})};
        if (name == "LOG")
            v.logId = id;
        if (name.rfind("MSys", 0) == 0 && type == jet4::kTypeTable)
            v.tables[name] = image.tableDef(uint32_t(id));
    }
    TableDef aceDef = v.tables.at("MSysACEs");
    for (const Row& r : image.liveRows(aceDef)) {
        int32_t object = asLong(r, aceDef.column("ObjectId")).value();
        if (object == v.logId && v.logId != 0)
            continue;
        // Object ids of tables are their TDEF pages, so compare by name.
        v.aces.insert({names[object],
                       rawValue(r, aceDef.column("SID")).value_or(Bytes{}),
                       asLong(r, aceDef.column("ACM")).value_or(-1),
                       rawValue(r, aceDef.column("FInheritable")).value_or(Bytes{0}).at(0)});
    }
    return v;
}

void expectSameDefinition(const TableDef& made, const TableDef& jet, const std::string& name)
{
    SCOPED_TRACE(name);
    EXPECT_EQ(made.tableType, jet.tableType);
    EXPECT_EQ(made.maxCols, jet.maxCols);
    EXPECT_EQ(made.numVarCols, jet.numVarCols);
    ASSERT_EQ(made.columns.size(), jet.columns.size());
    for (const Column& j : jet.columns) {
        const Column* m = made.column(j.name);
        ASSERT_NE(m, nullptr) << j.name;
        EXPECT_EQ(std::tie(m->type, m->number, m->flags, m->extFlags, m->length),
                  std::tie(j.type, j.number, j.flags, j.extFlags, j.length))
            << j.name;
        if (j.fixed())
            EXPECT_EQ(m->fixedOffset, j.fixedOffset) << j.name;
        else
            EXPECT_EQ(m->varIndex, j.varIndex) << j.name;
    }
    ASSERT_EQ(made.realIndexes.size(), jet.realIndexes.size());
    for (size_t i = 0; i < jet.realIndexes.size(); ++i) {
        EXPECT_EQ(made.realIndexes[i].columns, jet.realIndexes[i].columns) << i;
        EXPECT_EQ(made.realIndexes[i].flags, jet.realIndexes[i].flags) << i;
    }
    std::set<std::tuple<std::string, uint32_t, uint8_t>> madeLogical, jetLogical;
    for (const LogicalIndex& l : made.logicalIndexes)
        madeLogical.insert({l.name, l.realIndex, l.type});
    for (const LogicalIndex& l : jet.logicalIndexes)
        jetLogical.insert({l.name, l.realIndex, l.type});
    EXPECT_EQ(madeLogical, jetLogical);
}

TEST_P(Templates, SystemTablesMatchWhatJetWrites)
{
    LOGQVR_NEEDS_REFERENCE_MDB();
    SystemView made = systemView(m_path);
    SystemView jet = systemView(referenceFile("emptyJet4.mdb"));
    ASSERT_EQ(made.tables.size(), 4u);
    for (const auto& [name, def] : jet.tables)
        expectSameDefinition(made.tables.at(name), def, name);

    ASSERT_NE(made.logId, 0) << "no catalog row for LOG";
    auto log = made.catalog.at("LOG");
    EXPECT_EQ(std::get<0>(log), jet4::kTypeTable);
    EXPECT_EQ(std::get<1>(log), 0);
    EXPECT_EQ(std::get<2>(log), "Tables");
    EXPECT_EQ(std::get<3>(log), std::get<3>(jet.catalog.at("MSysDb")))
        << "LOG's owner should be the database owner";
    made.catalog.erase("LOG");
    EXPECT_EQ(made.catalog, jet.catalog);
    EXPECT_EQ(made.aces, jet.aces);
}

INSTANTIATE_TEST_SUITE_P(Generated, Templates, ::testing::ValuesIn(kTemplates), templateCaseName);

} // namespace
