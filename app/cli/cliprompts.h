// The window's boxes as the command tells them: their text on stderr, in the
// same words, and kept for the JSON account. The one question, whether to
// keep what a download that stopped early had read, is answered by
// --parcial, never by reading the terminal.
#pragma once

#include "cliconsole.h"
#include "core/prompts.h"

#include <string>
#include <vector>

struct ToldMessage {
    std::string text;
    PromptIcon icon;
    std::string title;
};

class CliPrompts : public Prompts {
public:
    // `quiet`: information boxes are kept but not written.
    CliPrompts(Console& console, bool keepPartial, bool quiet)
        : m_console(console), m_keepPartial(keepPartial), m_quiet(quiet)
    {
    }

    void show(const std::string& text, PromptIcon icon, const std::string& title) override;
    bool ask(const std::string& text, const std::string& title) override;

    const std::vector<ToldMessage>& told() const { return m_told; }

private:
    Console& m_console;
    bool m_keepPartial;
    bool m_quiet;
    std::vector<ToldMessage> m_told;
};
