#include "cliview.h"

#include <chrono>

namespace {

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void CliView::setText(Control c, const std::string& utf8)
{
    ValueView::setText(c, utf8);
    switch (c) {
    case Control::lblPercentual:
        m_line.percent(utf8);
        break;
    case Control::lblTexto:
        m_line.record(utf8);
        break;
    case Control::lblRestante:
        m_line.remaining(utf8);
        break;
    default:
        return;
    }
    if (const std::optional<std::string> line = m_line.due(steadySeconds()))
        m_console.progress(*line);
}

void CliView::processEvents()
{
    if (onYield)
        onYield();
}
