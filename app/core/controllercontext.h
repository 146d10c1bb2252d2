// What every handler of the main window works with, handed in so that tests
// drive the handlers with a fake window, a scripted or simulated device,
// recorded prompts, a memory store and a fixed clock.
#pragma once

#include <functional>
#include <string>

class KestruneApi;
class Prompts;
class SettingsStore;
class Clock;
class FormView;
struct FormValues;

// The program's surroundings, the same for every handler of a window.
struct ControllerServices {
    KestruneApi& lib;
    Prompts& prompts;
    SettingsStore& store;
    const Clock& clock;
    // Where the downloads fill the two templates, without a trailing
    // separator: the program's own folder when it may be written, else the
    // user's copies. On Windows always the program's folder.
    std::string templateFolder;
    // The reset-log download's fixed pauses, part of how the device is driven,
    // so never shortened; empty means a plain thread sleep. Tests and
    // benchmarks pass their own to count them.
    std::function<void(int ms)> sleepMs;
    // "Caminho" until the user stores one: the program's folder and the
    // separator when it may be written there, else the user's documents
    // folder and the separator.
    std::string firstRunCaminho;
    // Told the name of every file a download wrote, whole or partial, so the
    // "Relatório" menu can offer the last one. Empty: nobody listens.
    std::function<void(const std::string& path)> fileWritten = {};
    // Where each device's last saved record is remembered between visits, a
    // section of its own beside "Params". Null: nothing is remembered.
    SettingsStore* history = nullptr;
};

// The surroundings plus the window the handler serves and its values.
struct ControllerContext : ControllerServices {
    FormView& view;
    FormValues& values;
};
