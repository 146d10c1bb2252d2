// Each device's memory against the simulated device over a pty, through the
// real connect, the real download and the real library: what a connect finds
// and offers, and what one click then writes, read back with mdbtools.
#include "connection/connectcontroller.h"
#include "downloadrig.h"
#include "expectedrows.h"
#include "logexport/datalogdownload.h"
#include "logexport/devicehistory.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using logexport::DeviceHistory;
using logexport::HistoryCheck;

namespace {

using Outcome = HistoryCheck::Outcome;

// The device's memory, a memory store, and the window's connect with the
// history behind it, as the form wires them.
class HistoryRig {
public:
    HistoryRig()
    {
        std::string why;
        started = rig.start(&why);
        skipReason = why;
        rig.view.setText(Control::txtEnd, "1");
    }

    ControllerContext context()
    {
        ControllerContext ctx = rig.context();
        ctx.history = &memory;
        return ctx;
    }

    void clickConnect() { connect.cmdOK_Click(); }
    // "Desconectar" (also after a read failure closed the link), then "Conectar".
    void reconnect()
    {
        if (rig.view.text(Control::cmdOK) == "Desconectar")
            clickConnect();
        rig.prompts.shown.clear();
        clickConnect();
    }
    void writeRecords(int count)
    {
        rig.device.withState([&](sim::DeviceState& s) { s.writeRecords(count); });
    }
    // "Gerar Arquivo de LOG"; the rows of the file it wrote, whole or partial.
    std::vector<Row> gerar(bool partial = false)
    {
        download.cmdGerar_Click();
        return readLogTable(rig.outputFolder() + "/LOG_QVR_END1_2024_03_05_14_05_09" +
                            (partial ? "_PARCIAL" : "") + ".mdb");
    }
    // The rows hold the device's records `numbers`, in order, decoded.
    void expectRecords(const std::vector<Row>& rows, const std::vector<int>& numbers)
    {
        ASSERT_EQ(rows.size(), numbers.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const sim::DataRecord words =
                rig.device.withState([&](sim::DeviceState& s) { return s.records[numbers[i]]; });
            ASSERT_EQ(rowDifferences(rows[i], expectedDataRow(words)), "")
                << "row " << i << " (record " << numbers[i] << ")";
        }
    }
    std::string remembered() const { return memory.value("12_345").value_or(""); }
    int pointer()
    {
        return rig.device.withState([](sim::DeviceState& s) { return int(s.logPointer); });
    }
    std::string lblTexto() const { return rig.view.text(Control::lblTexto); }

    // "Data" and "Hora" of the device's record n, worked out from its words.
    std::string stampOf(int n)
    {
        const ExpectedRow row = expectedDataRow(
            rig.device.withState([&](sim::DeviceState& s) { return s.records[n]; }));
        return row.at("Data").text + " " + row.at("Hora").text;
    }
    void remember(int n) { memory.setValue("12_345", std::to_string(n) + " " + stampOf(n)); }

    // Requests after the connect's four reads.
    std::vector<sim::Transaction> extraRequests() const
    {
        const auto all = rig.device.transactions();
        return {all.begin() + std::min<std::size_t>(4, all.size()), all.end()};
    }

    DownloadRig rig;
    bool started = false;
    std::string skipReason;
    MemorySettingsStore memory;
    DeviceHistory history{context()};
    ConnectController connect{context(),
                              [this](bool identified) { history.connected(identified); }};
    DataLogDownload download{context(), &history};
};

// Record numbers `count` records from `first` on, after 10380 coming 0.
std::vector<int> walkFrom(int first, int count)
{
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back((first + i) % 10381);
    return numbers;
}

class DeviceHistoryVisits : public testing::Test {
protected:
    void SetUp() override
    {
        h = std::make_unique<HistoryRig>();
        if (!h->started)
            GTEST_SKIP() << "no pseudo-terminal: " << h->skipReason;
    }

    // A first visit that reads the last three records up to `pointer`.
    void firstVisit(int pointer)
    {
        h->rig.device.withState([&](sim::DeviceState& s) { s.fillDataLog(pointer); });
        h->clickConnect();
        h->rig.view.setText(Control::txtUltimos, "3");
        h->expectRecords(h->gerar(), walkFrom((pointer + 10381 - 2) % 10381, 3));
        ASSERT_EQ(h->remembered(), std::to_string(pointer) + " " + h->stampOf(pointer));
    }

    std::unique_ptr<HistoryRig> h;
};

} // namespace

TEST_F(DeviceHistoryVisits, OneClickFetchesExactlyTheNewRecordsAcrossTheWrapToo)
{
    struct Case {
        int pointer, written;
    };
    // The last one's first new record is 0, which "De" cannot hold.
    for (const Case c : {Case{5000, 24}, Case{10370, 31}, Case{10380, 6}}) {
        SetUp();
        firstVisit(c.pointer);
        h->writeRecords(c.written);
        h->reconnect();
        const std::string since = " desde " + h->stampOf(c.pointer);
        EXPECT_EQ(h->lblTexto(), std::to_string(c.written) + " registro(s) novo(s)" + since);
        h->expectRecords(h->gerar(), walkFrom((c.pointer + 1) % 10381, c.written));
        const int newPointer = h->pointer();
        EXPECT_EQ(h->remembered(), std::to_string(newPointer) + " " + h->stampOf(newPointer));
        h->reconnect();
        EXPECT_EQ(h->lblTexto(), "Nenhum registro novo desde " + h->stampOf(newPointer));
    }
}

// A damaged value counts as none, last N that leaves a gap moves nothing,
// nor does "Não" to the partial file; "Sim" moves the memory over what the
// file holds, so that after the reconnect one click fetches the rest.
TEST_F(DeviceHistoryVisits, MovesOnlyOverSavedRecordsAndPartialFilesCount)
{
    h->memory.setValue("12_345", "100 31/02/24 10:00:00");
    firstVisit(100);
    const std::string first = h->remembered();
    h->writeRecords(50);

    h->reconnect();
    EXPECT_EQ(h->rig.view.text(Control::txtDe), "101");
    h->rig.view.setText(Control::txtUltimos, "10");
    h->expectRecords(h->gerar(), walkFrom(141, 10));
    EXPECT_EQ(h->remembered(), first);

    // The tenth new record cannot be read; the connect's own read counts first.
    sim::Faults tenthFails;
    tenthFails.failReadsAtRegister = 17500;
    tenthFails.failAfterReadsOfRegister = 1 + 9;
    for (const bool keep : {false, true}) {
        h->rig.device.setFaults(tenthFails);
        h->reconnect();
        ASSERT_EQ(h->rig.view.text(Control::txtDe), "101");
        ASSERT_EQ(h->lblTexto(), "50 registro(s) novo(s) desde " + h->stampOf(100));
        h->rig.prompts.answer = keep;
        h->download.cmdGerar_Click();
        ASSERT_FALSE(h->rig.values.PortaAberta);
        EXPECT_EQ(h->remembered(), keep ? "109 " + h->stampOf(109) : first);
    }
    const std::vector<Row> partial =
        readLogTable(h->rig.outputFolder() + "/LOG_QVR_END1_2024_03_05_14_05_09_PARCIAL.mdb");
    h->expectRecords(partial, walkFrom(101, 9));
    const logexport::SavedRun& run = h->download.savedRun();
    EXPECT_EQ(run.first, 101);
    EXPECT_EQ(run.stamps.size(), 9u);
    EXPECT_EQ(run.pointer, 150);

    h->rig.device.setFaults({});
    h->reconnect();
    EXPECT_EQ(h->rig.view.text(Control::txtDe), "110");
    EXPECT_EQ(h->lblTexto(), "41 registro(s) novo(s) desde " + h->stampOf(109));
    h->expectRecords(h->gerar(), walkFrom(110, 41));
    EXPECT_EQ(h->remembered(), "150 " + h->stampOf(150));
}

// After a mismatch the memory waits for a download that reaches the pointer.
TEST_F(DeviceHistoryVisits, AMismatchedMemoryIsReplacedByTheNextDownloadToThePointer)
{
    h->rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(100); });
    h->remember(100);
    h->writeRecords(10381 + 24);
    h->clickConnect();
    ASSERT_EQ(h->history.lastCheck().outcome, Outcome::Mismatch);
    h->rig.view.setText(Control::txtUltimos, "2");
    h->gerar();
    EXPECT_EQ(h->remembered(), "124 " + h->stampOf(124));
    h->reconnect();
    EXPECT_EQ(h->lblTexto(), "Nenhum registro novo desde " + h->stampOf(124));
}

TEST(DeviceHistoryAtConnect, OffersWhatIsNewOrSaysWhyNot)
{
    // The log filled up to `pointer`; record `remembered` (-1: none) remembered
    // as the device then holds it; `also` done to the device or the memory;
    // `written` records logged. "{stamp}": the remembered "Data" "Hora".
    struct Case {
        const char* what;
        int pointer, remembered, written;
        Outcome outcome;
        const char* lblTexto;
        const char* txtDe;      // empty: as it was, optAte selected by txtAte
        const char* txtUltimos; // empty: as it was; else optUltimos selected
        std::function<void(HistoryRig&)> also = [](HistoryRig&) {};
    };
    const auto device = [](std::function<void(sim::DeviceState&)> f) {
        return [f](HistoryRig& h) { h.rig.device.withState(f); };
    };
    const auto erase = device([](sim::DeviceState& s) { s.eraseDataLog(); });
    const char* const kMismatch =
        "Histórico não confere: memória do equipamento apagada ou sobrescrita";
    const auto read = [](HistoryRig& h) {
        sim::Faults f;
        f.failReadsAtRegister = 17500;
        h.rig.device.setFaults(f);
    };
    const auto damaged = [](HistoryRig& h) { h.memory.setValue("12_345", "100 05/03/24"); };
    const auto typed = [](HistoryRig& h) {
        h.rig.view.setText(Control::txtDe, "101");
        h.rig.view.setText(Control::txtAte, "124");
        h.rig.view.setChecked(Control::optInteira, true);
    };
    const auto other = device([](sim::DeviceState& s) { s.serial2 = 346; });
    const auto noLog = device([](sim::DeviceState& s) { s.options = 0; });
    const char* const k24 = "24 registro(s) novo(s) desde {stamp}";
    const char* const k31 = "31 registro(s) novo(s) desde {stamp}";
    const char* const k6 = "6 registro(s) novo(s) desde {stamp}";
    const char* const kNone = "Nenhum registro novo desde {stamp}";
    using O = Outcome;
    // clang-format off
    const Case cases[] = {
        {"first visit",       124,   -1,    0,          O::NoMemory,   "",        "",      ""},
        {"24 new",            100,   100,   24,         O::Matched,    k24,       "101",   ""},
        {"txtDe holding it",  124,   100,   0,          O::Matched,    k24,       "101",   "", typed},
        {"across the wrap",   10370, 10370, 31,         O::Matched,    k31,       "10371", ""},
        {"first new is 0",    10380, 10380, 6,          O::Matched,    k6,        "",      "6"},
        {"nothing new",       124,   124,   0,          O::Matched,    kNone,     "",      ""},
        {"a ring and more",   100,   100,   10381 + 24, O::Mismatch,   kMismatch, "",      ""},
        {"memory erased",     100,   100,   150,        O::Mismatch,   kMismatch, "",      "", erase},
        {"another serial",    124,   100,   0,          O::NoMemory,   "",        "",      "", other},
        {"a damaged value",   124,   -1,    0,          O::NoMemory,   "",        "",      "", damaged},
        {"record unreadable", 124,   100,   0,          O::ReadFailed, "",        "",      "", read},
        {"an empty log",      100,   100,   0,          O::NotChecked, "",        "",      "", erase},
        {"no log option",     124,   100,   0,          O::NotChecked, "",        "",      "", noLog},
    };
    // clang-format on
    for (const Case& c : cases) {
        HistoryRig h;
        if (!h.started)
            GTEST_SKIP() << "no pseudo-terminal: " << h.skipReason;
        h.rig.device.withState([&](sim::DeviceState& s) { s.fillDataLog(c.pointer); });
        if (c.remembered >= 0)
            h.remember(c.remembered);
        c.also(h);
        h.writeRecords(c.written);
        const std::string remembered = h.remembered();
        const std::string txtDe = h.rig.view.text(Control::txtDe);
        const std::string txtUltimos = h.rig.view.text(Control::txtUltimos);
        h.rig.device.clearTransactions();
        h.clickConnect();

        ASSERT_EQ(h.rig.view.text(Control::cmdOK), "Desconectar") << c.what;
        EXPECT_EQ(h.history.lastCheck().outcome, c.outcome) << c.what;
        std::string text = c.lblTexto;
        if (const auto at = text.find("{stamp}"); at != std::string::npos)
            text.replace(at, 7, remembered.substr(remembered.find(' ') + 1));
        EXPECT_EQ(h.lblTexto(), text) << c.what;
        EXPECT_EQ(h.rig.view.text(Control::txtDe), *c.txtDe ? c.txtDe : txtDe) << c.what;
        EXPECT_EQ(h.rig.view.text(Control::txtUltimos), *c.txtUltimos ? c.txtUltimos : txtUltimos)
            << c.what;
        EXPECT_TRUE(h.rig.view.isChecked(*c.txtUltimos ? Control::optUltimos : Control::optAte))
            << c.what;
        // The memory stays until a download moves it.
        EXPECT_EQ(h.remembered(), remembered) << c.what;
        // One select and one read of the remembered record, or none at all;
        // and the connect never gives the window a turn.
        const auto extra = h.extraRequests();
        if (c.outcome == Outcome::Matched || c.outcome == Outcome::Mismatch) {
            ASSERT_EQ(extra.size(), 2u) << c.what;
            EXPECT_EQ(extra[0].function, 6) << c.what;
            EXPECT_EQ(extra[0].reg, 19045) << c.what;
            EXPECT_EQ(extra[0].countOrValue, static_cast<uint16_t>(c.remembered - 1)) << c.what;
            EXPECT_EQ(extra[1].reg, 17500) << c.what;
            EXPECT_EQ(extra[1].countOrValue, 41) << c.what;
        } else if (c.outcome != Outcome::ReadFailed) {
            EXPECT_TRUE(extra.empty()) << c.what;
        }
        EXPECT_EQ(h.rig.view.processEventsCount, 0) << c.what;
        EXPECT_TRUE(h.rig.prompts.shown.empty() || c.outcome == Outcome::NotChecked) << c.what;
    }
}
