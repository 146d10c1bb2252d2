// Each device's memory against the simulated device over a pty, through the
// real connect and the real library: what a connect finds and offers.
#include "connection/connectcontroller.h"
#include "downloadrig.h"
#include "expectedrows.h"
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
};

} // namespace

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
