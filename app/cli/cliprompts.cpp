#include "cliprompts.h"

void CliPrompts::show(const std::string& text, PromptIcon icon, const std::string& title)
{
    m_told.push_back({text, icon, title});
    if (!m_quiet || icon == PromptIcon::Warning)
        m_console.err(text + "\n");
}

bool CliPrompts::ask(const std::string& text, const std::string&)
{
    if (!m_quiet)
        m_console.err(text + (m_keepPartial ? " Sim (--parcial)\n" : " Não (sem --parcial)\n"));
    return m_keepPartial;
}
