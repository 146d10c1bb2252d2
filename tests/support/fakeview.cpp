#include "fakeview.h"

#include "core/formlayout.h"

FakeView::FakeView()
{
    // The window as designed, before load.
    for (const ControlDesign& design : frmMainControls()) {
        if (!design.id)
            continue;
        // The list's text is its entry's until one is typed.
        if (*design.text != '\0')
            m_text[*design.id] = design.text;
        m_enabled[*design.id] = design.enabled;
    }
}

std::string FakeView::text(Control c) const
{
    if (c == Control::cboBaudRate && m_text.find(c) == m_text.end())
        return m_listIndex >= 0 && m_listIndex < 6 ? kBaudRateEntries[m_listIndex] : "";
    auto it = m_text.find(c);
    return it == m_text.end() ? std::string() : it->second;
}

void FakeView::setText(Control c, const std::string& utf8)
{
    const bool changed = text(c) != utf8;
    m_text[c] = utf8;
    if (c == Control::lblTexto)
        progressLog.push_back(utf8);
    if (!changed)
        return;
    if (const std::optional<Control> option = optionSelectedBy(c))
        setChecked(*option, true);
}

bool FakeView::isEnabled(Control c) const
{
    auto it = m_enabled.find(c);
    return it == m_enabled.end() ? true : it->second;
}

void FakeView::setEnabled(Control c, bool enabled)
{
    m_enabled[c] = enabled;
    enableLog.emplace_back(c, enabled);
}

bool FakeView::isChecked(Control c) const
{
    auto it = m_checked.find(c);
    return it != m_checked.end() && it->second;
}

void FakeView::setChecked(Control c, bool checked)
{
    if (checked) {
        for (Control other : optionGroupOf(c))
            m_checked[other] = false;
    }
    m_checked[c] = checked;
}

int FakeView::listIndex(Control) const
{
    return m_listIndex;
}

void FakeView::setListIndex(Control, int index)
{
    m_listIndex = index;
    m_text.erase(Control::cboBaudRate);
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
