// A simulated device on a pty, reachable as port kSimPort through a private
// KESTRUNE_PORTS folder, and the real libkestrune bound at run time; plus
// the fake window, recorded prompts and a memory settings store around the
// handlers.
#pragma once

#include "connection/connectcontroller.h"
#include "connection/dynamickestrune.h"
#include "connection/pollcontroller.h"
#include "core/clock.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "recordingprompts.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

inline constexpr int kSimPort = 7;
// A number that names no port: no com200 link, and beyond the ranges that
// map to /dev/tty* devices.
inline constexpr int kMissingPort = 200;

class SimFixture : public testing::Test {
protected:
    void SetUp() override
    {
        m_portsDir = std::filesystem::temp_directory_path() /
                     ("logqvr-app-ports-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_portsDir);
        ::setenv("KESTRUNE_PORTS", m_portsDir.c_str(), 1);
        std::string error;
        if (!sim.start(&error))
            GTEST_SKIP() << "no pseudo-terminal on this host: " << error;
        ASSERT_TRUE(sim.linkAsPort(m_portsDir.string(), kSimPort, &error)) << error;
        sim.withState([](sim::DeviceState& s) {
            s.logPointer = 100;
            return 0;
        });
        // Short time-outs keep the failing cases quick.
        view.setText(Control::txtTimeout, "50");
        view.setText(Control::txtRetry, "2");
        view.setListIndex(Control::cboBaudRate, 5);
        view.setText(Control::txtCOM, std::to_string(kSimPort));
        view.setText(Control::txtEnd, "1");
        view.setText(Control::txtCaminho, "/tmp/out/");
    }

    void TearDown() override
    {
        lib.close_comm();
        sim.stop();
        std::error_code ignored;
        std::filesystem::remove_all(m_portsDir, ignored);
    }

    ControllerContext context()
    {
        return {{lib, prompts, store, clock, "/opt/logqvr", {}, "/opt/logqvr/"}, view, values};
    }

    void setFaults(const sim::Faults& f) { sim.setFaults(f); }
    std::vector<sim::Transaction> requests() const { return sim.transactions(); }
    std::vector<std::string> promptTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& p : prompts.shown)
            texts.push_back(p.text);
        return texts;
    }

    sim::Simulator sim;
    DynamicKestrune lib;
    FakeView view;
    FormValues values;
    RecordingPrompts prompts;
    MemorySettingsStore store;
    SystemClock clock;
    ConnectController connect{context()};
    PollController poll{context()};

private:
    std::filesystem::path m_portsDir;
};
