// The "Relatório" menu as both windows have it: "Abrir relatório do último
// LOG" (the last file a download of this program wrote, remembered in the
// settings' own group, so it outlives the run) and "Abrir relatório de um
// arquivo..." (a file dialog starting in "Caminho"). The report is written
// beside the .mdb, or in the user's own folder when that folder may not be
// written, then handed to the browser; failures and a browser that does not
// open are told in boxes. A window only shows the menu, the dialog and the
// browser.
#pragma once

#include <optional>
#include <string>

class Prompts;
class SettingsStore;

// The system's file dialog for *.mdb files, as an interface so that tests can
// answer it without a modal dialog.
class LogFilePicker {
public:
    virtual ~LogFilePicker() = default;
    // The chosen file (UTF-8), or nothing when the user cancelled.
    virtual std::optional<std::string> chooseLog(const std::string& startFolder) = 0;
};

// The default browser: QDesktopServices, ShellExecuteW.
class ReportBrowser {
public:
    virtual ~ReportBrowser() = default;
    // False when no browser could be started.
    virtual bool show(const std::string& htmlPath) = 0;
};

inline constexpr const char* kMenuRelatorio = "Relatório";
inline constexpr const char* kMenuUltimoLog = "Abrir relatório do último LOG";
inline constexpr const char* kMenuArquivo = "Abrir relatório de um arquivo...";
inline constexpr const char* kLogFilter = "Arquivos do Access (*.mdb)";

class ReportMenu {
public:
    // settings: the report menu's group (reportkey); userFolder: where a
    // report goes when the log's folder may not be written.
    ReportMenu(SettingsStore& settings,
               Prompts& prompts,
               ReportBrowser& browser,
               std::string userFolder);

    // What a download tells of each file it wrote.
    void fileWritten(const std::string& path);
    // The last file written, while it is still there: the first entry is
    // enabled exactly then.
    std::optional<std::string> lastLog() const;

    void openLastLog();
    // caminho: the text of "Caminho", where the dialog starts.
    void openChosen(LogFilePicker& picker, const std::string& caminho);

private:
    void openReportOf(const std::string& mdbPath);

    SettingsStore& m_settings;
    Prompts& m_prompts;
    ReportBrowser& m_browser;
    std::string m_userFolder;
};
