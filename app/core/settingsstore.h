// The per-user settings store: text values by key in one group ("Params", or
// the report menu's or the devices' history's own) under the program's name. All key names the
// program uses are listed here.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace settingskey {
inline constexpr const char* kGroup = "Params";
inline constexpr const char* kTimeout = "Timeout";
inline constexpr const char* kRetries = "Retries";
inline constexpr const char* kBaudrate = "Baudrate";
inline constexpr const char* kCom = "COM";
inline constexpr const char* kEndereco = "Endereco";
inline constexpr const char* kCaminho = "Caminho";
inline constexpr const char* kTop = "Top";
inline constexpr const char* kLeft = "Left";
inline constexpr const char* kTopAbout = "TopAbout";
inline constexpr const char* kLeftAbout = "LeftAbout";
} // namespace settingskey

// The "Relatório" menu's own group, apart from "Params", whose keys are fixed.
namespace reportkey {
inline constexpr const char* kGroup = "Relatorio";
// The whole name of the last file a download wrote.
inline constexpr const char* kUltimoLog = "UltimoLOG";
} // namespace reportkey

// Each device's last saved data-log record, in a group of its own: one value
// per serial number, the key and value as logexport/lastsaved.h makes them.
namespace historykey {
inline constexpr const char* kGroup = "Historico";
} // namespace historykey

// The program's per-user files all go under these names: its settings, and
// the user's copies of the templates. The window's name is the command's too,
// so that a command reads the settings the window stored.
inline constexpr const char* kOrganization = "Quorvane";
inline constexpr const char* kProgramName = "LOG_QVR";

// The application name the settings live under: the executable's file name
// without its extension ("/opt/q/LOG_QVR" and "/opt/q/LOG_QVR.bin" give
// "LOG_QVR"; "LOG_QVR.v2.bin" keeps "LOG_QVR.v2").
std::string settingsNameOf(const std::string& executablePath);

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Empty when the key was never written.
    virtual std::optional<std::string> value(const std::string& key) const = 0;
    virtual void setValue(const std::string& key, const std::string& text) = 0;
};

// A store in memory, for tests and as a stand-in when nothing may persist.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> value(const std::string& key) const override;
    void setValue(const std::string& key, const std::string& text) override;
    // Keys in the order they were written (a key written twice appears twice).
    const std::vector<std::string>& writeOrder() const { return m_order; }

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_order;
};
