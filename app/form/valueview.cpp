#include "form/valueview.h"

#include "core/formlayout.h"

ValueView::ValueView()
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

std::string ValueView::text(Control c) const
{
    if (c == Control::cboBaudRate && m_text.find(c) == m_text.end())
        return m_listIndex >= 0 && m_listIndex < 6 ? kBaudRateEntries[m_listIndex] : "";
    auto it = m_text.find(c);
    return it == m_text.end() ? std::string() : it->second;
}

void ValueView::setText(Control c, const std::string& utf8)
{
    const bool changed = text(c) != utf8;
    m_text[c] = utf8;
    if (!changed)
        return;
    if (const std::optional<Control> option = optionSelectedBy(c))
        setChecked(*option, true);
}

bool ValueView::isEnabled(Control c) const
{
    auto it = m_enabled.find(c);
    return it == m_enabled.end() ? true : it->second;
}

void ValueView::setEnabled(Control c, bool enabled)
{
    m_enabled[c] = enabled;
}

bool ValueView::isChecked(Control c) const
{
    auto it = m_checked.find(c);
    return it != m_checked.end() && it->second;
}

void ValueView::setChecked(Control c, bool checked)
{
    if (checked) {
        for (Control other : optionGroupOf(c))
            m_checked[other] = false;
    }
    m_checked[c] = checked;
}

int ValueView::listIndex(Control) const
{
    return m_listIndex;
}

void ValueView::setListIndex(Control, int index)
{
    m_listIndex = index;
    m_text.erase(Control::cboBaudRate);
}
