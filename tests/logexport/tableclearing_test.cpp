// The downloads over templates the engine fails on: rows that cannot be
// deleted, as a file held read-only elsewhere refuses them, and a close that
// does not reach the disk. The real engine under a wrapper that fails on cue,
// and the simulated device.
#include "downloadrig.h"
#include "logexport/datalogdownload.h"
#include "logexport/datalogrecord.h"
#include "logexport/resetlogdownload.h"
#include "logexport/resetlogentry.h"
#include "mdb/dao.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class RefusingTable : public mdb::Recordset {
public:
    explicit RefusingTable(std::unique_ptr<mdb::Recordset> table) : m_table(std::move(table)) {}
    void MoveFirst() override { m_table->MoveFirst(); }
    void MoveLast() override { m_table->MoveLast(); }
    bool Eof() const override { return m_table->Eof(); }
    void Delete() override
    {
        throw mdb::Error(3027, "Cannot update. Database or object is read-only.");
    }
    void AddNew() override { m_table->AddNew(); }
    void Update() override { m_table->Update(); }
    void Close() override { m_table->Close(); }

protected:
    // Columns reach the real table by name, through its public face.
    int columnIndex(std::string_view name) const override
    {
        m_table->Fields(name);
        m_names.emplace_back(name);
        return static_cast<int>(m_names.size()) - 1;
    }
    void setValue(int column, const mdb::Value& v) override
    {
        m_table->Fields(m_names.at(static_cast<std::size_t>(column))) = v;
    }
    mdb::Value getValue(int column) const override
    {
        return m_table->Fields(m_names.at(static_cast<std::size_t>(column))).value();
    }

private:
    std::unique_ptr<mdb::Recordset> m_table;
    mutable std::vector<std::string> m_names;
};

enum class Fault { RefusedDelete, FailedClose };

class FaultyDatabase : public mdb::Database {
public:
    FaultyDatabase(std::unique_ptr<mdb::Database> db, Fault fault)
        : m_db(std::move(db)), m_fault(fault)
    {
    }
    std::unique_ptr<mdb::Recordset> OpenRecordset(std::string_view name) override
    {
        if (m_fault != Fault::RefusedDelete)
            return m_db->OpenRecordset(name);
        return std::make_unique<RefusingTable>(m_db->OpenRecordset(name));
    }
    void Close() override
    {
        m_db->Close();
        if (m_fault == Fault::FailedClose)
            throw mdb::Error(3026, "Not enough space on disk.");
    }

private:
    std::unique_ptr<mdb::Database> m_db;
    Fault m_fault;
};

class FaultyEngine : public mdb::DBEngine {
public:
    explicit FaultyEngine(Fault fault) : m_fault(fault) {}
    std::unique_ptr<mdb::Database> OpenDatabase(const std::string& path,
                                                bool options,
                                                bool readOnly,
                                                const std::string& connect) override
    {
        return std::make_unique<FaultyDatabase>(
            mdb::dbEngine().OpenDatabase(path, options, readOnly, connect),
            m_fault);
    }

private:
    Fault m_fault;
};

// One row of an earlier download, stored through the real engine.
void seedRow(const std::string& path, const std::function<void(mdb::Recordset&)>& fill)
{
    auto db = mdb::dbEngine().OpenDatabase(path, false, false, ";PWD=");
    auto rs = db->OpenRecordset("LOG");
    rs->AddNew();
    fill(*rs);
    rs->Update();
    rs->Close();
    db->Close();
}

TEST(TableClearing, ARefusedDeleteEndsEitherDownloadInItsErrorPath)
{
    DownloadRig rig;
    std::string why;
    if (!rig.start(&why))
        GTEST_SKIP() << "no pseudo-terminal: " << why;
    rig.connect();
    rig.device.withState([](sim::DeviceState& s) {
        s.fillDataLog(100);
        s.fillResetLog(5);
    });
    rig.values.PonteiroLOG = 100;
    rig.view.setText(Control::txtUltimos, "2");
    const std::string dataTemplate = rig.programFolder() + "/LOG_QVR.mdb";
    const std::string resetTemplate = rig.programFolder() + "/LOG_RESET_QVR.mdb";
    seedRow(dataTemplate, [](mdb::Recordset& rs) {
        logexport::writeDataLogRow(rs, logexport::decodeDataLog({}));
    });
    seedRow(resetTemplate, [](mdb::Recordset& rs) {
        logexport::writeResetLogRow(rs, logexport::decodeResetLog({}));
    });

    FaultyEngine engine(Fault::RefusedDelete);
    const std::vector<std::pair<std::string, std::function<void()>>> downloads = {
        {dataTemplate, [&] { DataLogDownload(rig.context(), engine).cmdGerar_Click(); }},
        {resetTemplate, [&] { ResetLogDownload(rig.context(), engine).cmdLogReset_Click(); }}};
    for (const auto& [templatePath, click] : downloads) {
        SCOPED_TRACE(templatePath);
        rig.prompts.shown.clear();
        rig.view.setEnabled(Control::cmdGerar, true);
        rig.view.setEnabled(Control::cmdLogReset, true);
        rig.view.setText(Control::lblTexto, "antes");
        click();

        ASSERT_EQ(rig.prompts.shown.size(), 1u);
        EXPECT_EQ(rig.prompts.shown[0].text,
                  "3027 - Cannot update. Database or object is read-only.");
        EXPECT_EQ(rig.prompts.shown[0].icon, PromptIcon::Warning);
        EXPECT_EQ(rig.prompts.shown[0].title, "");
        EXPECT_EQ(rig.view.text(Control::lblTexto), "antes ERRO");
        EXPECT_TRUE(rig.view.isEnabled(Control::cmdGerar));
        EXPECT_TRUE(rig.view.isEnabled(Control::cmdLogReset));
        EXPECT_TRUE(rig.view.isEnabled(Control::Timer1));
        EXPECT_TRUE(rig.outputFiles().empty());
        EXPECT_EQ(readLogTable(templatePath).size(), 1u) << "the old row, and nothing added";
    }
}

// The reset log's rows read before a failure are offered for keeping only
// once the template's close has reached the disk; a close that failed is an
// error, told as such, and nothing is copied or announced as saved.
TEST(ResetLogClose, AFailedCloseAfterAReadFailureIsToldAndNothingIsSaved)
{
    DownloadRig rig;
    std::string why;
    if (!rig.start(&why))
        GTEST_SKIP() << "no pseudo-terminal: " << why;
    rig.connect();
    rig.device.withState([](sim::DeviceState& s) { s.fillResetLog(5); });
    sim::Faults f;
    f.failReadsAtRegister = 17600;
    f.failAfterReadsOfRegister = 10;
    rig.device.setFaults(f);
    rig.view.setText(Control::txtRetry, "1");
    rig.prompts.answer = true;
    FaultyEngine engine(Fault::FailedClose);
    ResetLogDownload(rig.context(), engine).cmdLogReset_Click();

    ASSERT_EQ(rig.prompts.shown.size(), 2u);
    EXPECT_EQ(rig.prompts.shown[0].text, "Erro ao ler o LOG");
    EXPECT_EQ(rig.prompts.shown[1].text, "3026 - Not enough space on disk.");
    EXPECT_EQ(rig.prompts.shown[1].icon, PromptIcon::Warning);
    EXPECT_EQ(rig.prompts.shown[1].title, "");
    EXPECT_TRUE(rig.prompts.questions.empty());
    EXPECT_TRUE(rig.outputFiles().empty());
    EXPECT_EQ(rig.view.text(Control::lblTexto), "Erro ERRO");
    EXPECT_TRUE(rig.view.isEnabled(Control::cmdLogReset));
    EXPECT_FALSE(rig.values.PortaAberta);
}

} // namespace
