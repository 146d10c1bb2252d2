// The real logqvr-cli against the simulated device on a pty: the program and
// its library copied beside a fresh pair of templates (so that two tests never
// fill the same ones), a home of its own with the window's settings file, and
// each run's exit status, stdout and stderr.
#pragma once

#include "downloadrig.h"

#include <csignal>
#include <functional>
#include <string>
#include <vector>

struct CommandRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CommandRig : public DownloadRig {
public:
    CommandRig();

    // The window's settings as the tests store them: the simulator's port at
    // 9600 baud, short time-outs, files into outputFolder().
    static std::string storedSettings(const std::string& caminho);
    std::string settingsFile() const;
    void storeSettings(const std::string& text) const;

    // Runs the command with `args`; `meanwhile` is called every 10 ms while it
    // runs, with its process id, until it ends.
    CommandRun run(const std::vector<std::string>& args,
                   const std::function<void(pid_t)>& meanwhile = {}) const;
    // The same inside a pseudo-terminal (script(1)): stdout and stderr mixed,
    // as a technician's terminal shows them.
    CommandRun runOnTerminal(const std::vector<std::string>& args) const;

    std::string home() const { return programFolder() + "/../home"; }
};
