// The Windows side of the "Relatório" menu: the common file dialog for *.mdb
// files and the shell's open verb for the browser.
#pragma once

#include "form/reportmenu.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace winui {

class OpenLogPicker : public LogFilePicker {
public:
    void setOwner(HWND owner) { m_owner = owner; }
    std::optional<std::string> chooseLog(const std::string& startFolder) override;

private:
    HWND m_owner = nullptr;
};

class ShellReportBrowser : public ReportBrowser {
public:
    bool show(const std::string& htmlPath) override;
};

} // namespace winui
