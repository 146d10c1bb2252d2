#include "fakeview.h"

const char* const kBaudRateItems[6] =
    {"     4800", "     9600", "     19200", "     38400", "     56000", "     115200"};

FakeView::FakeView()
{
    // Design-time state of the window.
    m_text = {{Control::txtTimeout, "1000"},
              {Control::txtRetry, "3"},
              {Control::txtCOM, "1"},
              {Control::txtEnd, "1"},
              {Control::cmdOK, "Conectar"},
              {Control::optInteira, "Ler Memória Inteira"},
              {Control::optUltimos, "Ler"},
              {Control::txtUltimos, "1"},
              {Control::optAte, "Ler"},
              {Control::txtDe, "1"},
              {Control::txtAte, "1"},
              {Control::cmdGerar, "Gerar Arquivo de LOG"},
              {Control::cmdLogReset, "LOG de Reset"},
              {Control::cmdProcurar, "Procurar..."},
              {Control::lblAte, "Último Log gravado = "},
              {Control::lblUltimos, "último(s) log(s)."},
              {Control::lblDeAte, "até"},
              {Control::cmdCancelar, "Cancelar"}};
    for (Control c : {Control::optInteira,
                      Control::optUltimos,
                      Control::txtUltimos,
                      Control::optAte,
                      Control::txtDe,
                      Control::txtAte,
                      Control::cmdGerar,
                      Control::cmdLogReset,
                      Control::lblAte,
                      Control::lblUltimos,
                      Control::lblDeAte,
                      Control::cmdCancelar})
        m_enabled[c] = false;
}

std::string FakeView::text(Control c) const
{
    if (c == Control::cboBaudRate && m_text.find(c) == m_text.end())
        return m_listIndex >= 0 && m_listIndex < 6 ? kBaudRateItems[m_listIndex] : "";
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
    if (c == Control::txtDe || c == Control::txtAte)
        setChecked(Control::optAte, true);
    if (c == Control::txtUltimos)
        setChecked(Control::optUltimos, true);
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
    // The three options form one group.
    if (checked && (c == Control::optInteira || c == Control::optUltimos || c == Control::optAte)) {
        m_checked[Control::optInteira] = false;
        m_checked[Control::optUltimos] = false;
        m_checked[Control::optAte] = false;
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
