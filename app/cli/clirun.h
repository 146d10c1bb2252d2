// One run of logqvr-cli, apart from the system: the window's fields from the
// stored settings and the options, the connect, the downloads the options
// ask for, each through the window's own controllers, the reports beside
// the files; and the account of it all (device, files, range, time, exit
// code) that the JSON and the exit status give.
#pragma once

#include "cliconsole.h"
#include "clioptions.h"
#include "cliprompts.h"
#include "connection/connectcontroller.h"
#include "logexport/exportrun.h"
#include "logexport/lastsaved.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Clock;
class KestruneApi;
class SettingsStore;

// What main hands in: the system's parts.
struct CliServices {
    KestruneApi& lib;
    // The window's "Params": read, never written.
    const SettingsStore& settings;
    // The window's memory of each device's last saved record, moved as the
    // window moves it; null: nothing remembered.
    SettingsStore* history;
    const Clock& clock;
    std::string templateFolder;
    std::string firstRunCaminho;
    // Template copies replaced or not made, told as the window tells them.
    std::vector<std::string> templateWarnings;
    std::function<void(int ms)> sleepMs;
    Console& console;
    // A cancel was asked for from outside (Ctrl+C, SIGTERM).
    std::function<bool()> interrupted;
};

enum ExitCode : int {
    kExitDone = 0,
    kExitUsage = 2,
    kExitNoPort = 3,
    kExitNoAnswer = 4,
    kExitWriteFailed = 5,
    kExitCancelled = 6,
};

int exitCodeOf(ConnectEnd end);
int exitCodeOf(logexport::ExportEnd end);
// "done", "usage", "no-port", "no-answer", "write-failed", "cancelled".
const char* outcomeName(int exitCode);

// With several steps, the first failure decides.
class Outcome {
public:
    void add(int exitCode)
    {
        if (m_code == kExitDone)
            m_code = exitCode;
    }
    int code() const { return m_code; }

private:
    int m_code = kExitDone;
};

struct DeviceInfo {
    std::string port;    // txtCOM
    std::string address; // txtEnd
    std::string status;  // the window's status line, firmware and release
    std::string serialLine;
    int32_t firmware = 0; // times 100
    int32_t release = 0;
    int32_t serial1 = 0;
    int32_t serial2 = 0;
    bool logOption = false;
    int32_t pointer = 0;
};

struct WrittenFile {
    std::string path;
    std::string kind; // "data", "reset", "report", "csv"
    int records = 0;
    int badCrc = 0;
    bool partial = false;
};

struct RangeRead {
    std::string choice; // as --dados gave it
    std::optional<int> planned;
    std::optional<int> first;
    std::optional<int> last;
    int read = 0;
};

// The connect's check of the device's memory, and the memory after the run.
struct HistoryInfo {
    std::string check; // "matched", "no-memory", "mismatch", "read-failed", "not-checked"
    std::optional<logexport::LastSaved> remembered;
    int newRecords = 0;
    std::optional<int> firstNew;
    int pointer = 0;
    std::optional<logexport::LastSaved> after;
};

struct RunRecord {
    std::optional<DeviceInfo> device;
    std::optional<HistoryInfo> history;
    std::vector<WrittenFile> files;
    std::optional<RangeRead> range;
    double seconds = 0;
    int exitCode = kExitDone;
    std::vector<ToldMessage> messages;
};

RunRecord runCli(const CliOptions& options, const CliServices& services);
