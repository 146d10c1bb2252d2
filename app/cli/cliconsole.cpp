#include "cliconsole.h"

#include "core/consoletext.h"

namespace {

// What a terminal shows of a line: its characters, not its UTF-8 bytes.
std::size_t characters(const std::string& utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace

void StreamConsole::out(const std::string& utf8)
{
    clearLine();
    writeText(stdout, utf8);
}

void StreamConsole::err(const std::string& utf8)
{
    clearLine();
    writeText(stderr, utf8);
}

void StreamConsole::progress(const std::string& line)
{
    if (!m_showProgress)
        return;
    if (line.empty()) {
        clearLine();
        return;
    }
    // Blanks over what a longer line before left behind.
    const std::size_t length = characters(line);
    std::string text = "\r";
    text += line;
    if (length < m_shown)
        text += std::string(m_shown - length, ' ');
    writeText(stderr, text);
    m_shown = length;
}

void StreamConsole::clearLine()
{
    if (m_shown == 0)
        return;
    std::string blank = "\r";
    blank.append(m_shown, ' ');
    blank += '\r';
    writeText(stderr, blank);
    m_shown = 0;
}
