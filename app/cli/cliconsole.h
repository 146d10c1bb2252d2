// Where the command's text goes: results on stdout, what the window would
// show in boxes on stderr, and the progress line, rewritten in place on a
// terminal and cleared before any other text so the two never mix.
#pragma once

#include <cstdio>
#include <string>

class Console {
public:
    virtual ~Console() = default;
    virtual void out(const std::string& utf8) = 0;
    virtual void err(const std::string& utf8) = 0;
    // Draws the progress line over the last; an empty one clears it.
    virtual void progress(const std::string& line) = 0;
};

// The process's own stdout and stderr; `showProgress` only for a terminal
// someone watches.
class StreamConsole : public Console {
public:
    explicit StreamConsole(bool showProgress) : m_showProgress(showProgress) {}
    void out(const std::string& utf8) override;
    void err(const std::string& utf8) override;
    void progress(const std::string& line) override;

private:
    void clearLine();

    bool m_showProgress;
    std::size_t m_shown = 0; // characters of the line on screen
};
