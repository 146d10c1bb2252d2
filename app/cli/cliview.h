// frmMain as the command has it: plain values, whose progress row is drawn
// as one line on the console, and whose yield is where a cancel asked for
// from outside (Ctrl+C) reaches the download, as a click on "Cancelar" does.
#pragma once

#include "cliconsole.h"
#include "form/valueview.h"
#include "progressline.h"

#include <functional>

class CliView : public ValueView {
public:
    explicit CliView(Console& console) : m_console(console) {}

    void setText(Control c, const std::string& utf8) override;
    void processEvents() override;

    // Run at every yield of a download.
    std::function<void()> onYield;

private:
    Console& m_console;
    ProgressLine m_line;
};
