// What a download needs from its surroundings, passed in so that tests can run
// the downloads against the simulator and a fake window with no display.
#pragma once

#include <ctime>
#include <functional>
#include <string>

class FormView;
class Prompts;
class KestruneApi;
struct FormValues;

// Local date and time, taken once per export for the output name.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::tm now() const = 0;
};

class SystemClock : public Clock {
public:
    std::tm now() const override;
};

struct ExportEnv {
    KestruneApi& lib;
    FormView& view;
    FormValues& values;
    Prompts& prompts;
    const Clock& clock;
    // Folder holding LOG_QVR.mdb and LOG_RESET_QVR.mdb, without a trailing "/".
    std::string programFolder;
    // Fixed pauses of the reset-log download (50 ms each), part of how the device
    // is driven, so never shortened; empty means a plain thread sleep. Tests and
    // benchmarks pass their own to count them.
    std::function<void(int ms)> sleepMs;
};
