// The Qt side of the "Relatório" menu: the file dialog for *.mdb files and
// the desktop's browser.
#pragma once

#include "form/reportmenu.h"

class QWidget;

class QtLogFilePicker : public LogFilePicker {
public:
    void setOwner(QWidget* owner) { m_owner = owner; }
    std::optional<std::string> chooseLog(const std::string& startFolder) override;

private:
    QWidget* m_owner = nullptr;
};

class QtReportBrowser : public ReportBrowser {
public:
    bool show(const std::string& htmlPath) override;
};
