#include "fakeview.h"

void FakeView::setText(Control c, const std::string& utf8)
{
    if (c == Control::lblTexto)
        progressLog.push_back(utf8);
    ValueView::setText(c, utf8);
}

void FakeView::setEnabled(Control c, bool enabled)
{
    ValueView::setEnabled(c, enabled);
    enableLog.emplace_back(c, enabled);
}

void FakeView::setValue(Control c, int percent)
{
    if (c == Control::prgProgresso)
        barLog.push_back(percent);
}

void FakeView::processEvents()
{
    ++processEventsCount;
    if (onProcessEvents)
        onProcessEvents();
}
