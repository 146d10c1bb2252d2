// A download's surroundings for tests: the simulated device on a pty reached
// through the real libkestrune, a temp program folder with fresh copies of
// the generated templates, an output folder, a plain-value window, recorded
// message boxes and a fixed clock.
#pragma once

#include "core/clock.h"
#include "core/controllercontext.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "fixedclock.h"
#include "recordingprompts.h"
#include "simulator.h"

#include <map>
#include <string>
#include <vector>

class KestruneApi;

class DownloadRig {
public:
    static constexpr int kPort = 7;
    // The name FixedClock's moment gives an export for address 1.
    static constexpr const char* kStamp = "1_2024_03_05_14_05_09.mdb";

    DownloadRig();
    ~DownloadRig();

    // False with a reason when the host has no pseudo-terminals.
    bool start(std::string* why);
    // Opens the port as a connect does (9600, 50 ms) and marks the link open.
    void connect();
    ControllerContext context();
    KestruneApi& lib();

    std::string programFolder() const { return m_root + "/program"; }
    std::string outputFolder() const { return m_root + "/out"; }
    std::vector<std::string> outputFiles() const;

    sim::Simulator device;
    FakeView view;
    RecordingPrompts prompts;
    MemorySettingsStore store;
    FormValues values;
    FixedClock clock;
    std::vector<int> sleeps;

private:
    std::string m_root;
};

// Rows of table "LOG" of an .mdb file as mdb-export prints them, by column name.
using Row = std::map<std::string, std::string>;
std::vector<Row> readLogTable(const std::string& path);
