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
    struct Case {
        const char* what;
        std::function<void(HistoryRig&)> arrange;
        Outcome outcome;
        const char* lblTexto; // "{stamp}": the remembered record's "Data" "Hora"
        const char* txtDe;    // empty: as it was
        Control option;
        const char* txtUltimos; // empty: as it was
    };
    const auto device = [](std::function<void(sim::DeviceState&)> f) {
        return [f](HistoryRig& h) { h.rig.device.withState(f); };
    };
    const Case cases[] = {
        {"first visit",
         device([](sim::DeviceState& s) { s.fillDataLog(124); }),
         Outcome::NoMemory,
         "",
         "",
         Control::optAte,
         ""},
        {"24 new records",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(100); });
             h.remember(100);
             h.rig.device.withState([](sim::DeviceState& s) { s.writeRecords(24); });
         },
         Outcome::Matched,
         "24 registro(s) novo(s) desde {stamp}",
         "101",
         Control::optAte,
         ""},
        {"txtDe holding the number already",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(124); });
             h.remember(100);
             h.rig.view.setText(Control::txtDe, "101");
             h.rig.view.setText(Control::txtAte, "124");
             h.rig.view.setChecked(Control::optInteira, true);
         },
         Outcome::Matched,
         "24 registro(s) novo(s) desde {stamp}",
         "101",
         Control::optAte,
         ""},
        {"across the wrap",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(10370); });
             h.remember(10370);
             h.rig.device.withState([](sim::DeviceState& s) { s.writeRecords(31); });
         },
         Outcome::Matched,
         "31 registro(s) novo(s) desde {stamp}",
         "10371",
         Control::optAte,
         ""},
        {"first new record 0",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(10380); });
             h.remember(10380);
             h.rig.device.withState([](sim::DeviceState& s) { s.writeRecords(6); });
         },
         Outcome::Matched,
         "6 registro(s) novo(s) desde {stamp}",
         "",
         Control::optUltimos,
         "6"},
        {"nothing new",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(124); });
             h.remember(124);
         },
         Outcome::Matched,
         "Nenhum registro novo desde {stamp}",
         "",
         Control::optAte,
         ""},
        {"more than a ring written since",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(100); });
             h.remember(100);
             h.rig.device.withState([](sim::DeviceState& s) { s.writeRecords(10381 + 24); });
         },
         Outcome::Mismatch,
         "Histórico não confere: memória do equipamento apagada ou sobrescrita",
         "",
         Control::optAte,
         ""},
        {"memory erased",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(100); });
             h.remember(100);
             h.rig.device.withState([](sim::DeviceState& s) {
                 s.eraseDataLog();
                 s.writeRecords(150);
             });
         },
         Outcome::Mismatch,
         "Histórico não confere: memória do equipamento apagada ou sobrescrita",
         "",
         Control::optAte,
         ""},
        {"another device at the same address",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(124); });
             h.remember(100);
             h.rig.device.withState([](sim::DeviceState& s) { s.serial2 = 346; });
         },
         Outcome::NoMemory,
         "",
         "",
         Control::optAte,
         ""},
        {"a damaged value",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(124); });
             h.memory.setValue("12_345", "100 05/03/24");
         },
         Outcome::NoMemory,
         "",
         "",
         Control::optAte,
         ""},
        {"the record cannot be read",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(124); });
             h.remember(100);
             sim::Faults f;
             f.failReadsAtRegister = 17500;
             h.rig.device.setFaults(f);
         },
         Outcome::ReadFailed,
         "",
         "",
         Control::optAte,
         ""},
        {"an empty log",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(100); });
             h.remember(100);
             h.rig.device.withState([](sim::DeviceState& s) { s.eraseDataLog(); });
         },
         Outcome::NotChecked,
         "",
         "",
         Control::optAte,
         ""},
        {"no log option",
         [](HistoryRig& h) {
             h.rig.device.withState([](sim::DeviceState& s) {
                 s.fillDataLog(124);
                 s.options = 0;
             });
             h.remember(100);
         },
         Outcome::NotChecked,
         "",
         "",
         Control::optAte,
         ""},
    };
    for (const Case& c : cases) {
        HistoryRig h;
        if (!h.started)
            GTEST_SKIP() << "no pseudo-terminal: " << h.skipReason;
        c.arrange(h);
        const std::string remembered = h.memory.value("12_345").value_or("");
        const std::string stamp = remembered.substr(remembered.find(' ') + 1);
        const std::string txtDe = h.rig.view.text(Control::txtDe);
        const std::string txtUltimos = h.rig.view.text(Control::txtUltimos);
        h.rig.device.clearTransactions();
        h.clickConnect();

        ASSERT_EQ(h.rig.view.text(Control::cmdOK), "Desconectar") << c.what;
        EXPECT_EQ(h.history.lastCheck().outcome, c.outcome) << c.what;
        std::string text = c.lblTexto;
        if (const auto at = text.find("{stamp}"); at != std::string::npos)
            text.replace(at, 7, stamp);
        EXPECT_EQ(h.rig.view.text(Control::lblTexto), text) << c.what;
        EXPECT_EQ(h.rig.view.text(Control::txtDe), *c.txtDe ? c.txtDe : txtDe) << c.what;
        EXPECT_TRUE(h.rig.view.isChecked(c.option)) << c.what;
        EXPECT_EQ(h.rig.view.text(Control::txtUltimos), *c.txtUltimos ? c.txtUltimos : txtUltimos)
            << c.what;
        // The memory stays until a download moves it.
        EXPECT_EQ(h.memory.value("12_345").value_or(""), remembered) << c.what;
        // One select and one read of the remembered record, or none at all;
        // and the connect never gives the window a turn.
        const auto extra = h.extraRequests();
        if (c.outcome == Outcome::Matched || c.outcome == Outcome::Mismatch) {
            const int n = std::stoi(remembered);
            ASSERT_EQ(extra.size(), 2u) << c.what;
            EXPECT_EQ(extra[0].function, 6) << c.what;
            EXPECT_EQ(extra[0].reg, 19045) << c.what;
            EXPECT_EQ(extra[0].countOrValue, static_cast<uint16_t>(n - 1)) << c.what;
            EXPECT_EQ(extra[1].reg, 17500) << c.what;
            EXPECT_EQ(extra[1].countOrValue, 41) << c.what;
        } else if (c.outcome != Outcome::ReadFailed) {
            EXPECT_TRUE(extra.empty()) << c.what;
        }
        EXPECT_EQ(h.rig.view.processEventsCount, 0) << c.what;
        EXPECT_TRUE(h.rig.prompts.shown.empty() || c.outcome == Outcome::NotChecked) << c.what;
    }
}
