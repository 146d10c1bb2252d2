// The connection fields as kept in the settings store: read once at window
// load (with the first-run defaults), written back after an identification.
#pragma once

#include <string>

class SettingsStore;
class FormView;

struct ConnectionSettings {
    std::string timeout;
    std::string retries;
    int baudIndex = -1; // position in the baud-rate list, -1 = none
    std::string com;
    std::string endereco;
    std::string caminho;

    // firstRunCaminho: "Caminho" when none is stored.
    static ConnectionSettings load(const SettingsStore& store, const std::string& firstRunCaminho);
};

// The stored "Baudrate" as a list position: the text converted to a whole
// number; anything that is not a whole number from 0 to 5 selects no entry.
int baudIndexFromText(const std::string& text);

// Stores the window's fields in the fixed order Timeout, Retries, Baudrate,
// COM, Endereco, Caminho, Top, Left. Texts are stored exactly as they stand.
void saveConnectionSettings(SettingsStore& store, const FormView& view);

// "Log - QVR/KPW - Quorvane - V1.0.0 - Fw v1.24 r4" for the build's version.
std::string windowTitle();
