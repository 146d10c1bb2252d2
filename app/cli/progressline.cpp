#include "progressline.h"

void ProgressLine::percent(const std::string& text)
{
    m_urgent = m_urgent || text != m_percent;
    m_percent = text;
}

void ProgressLine::record(const std::string& text)
{
    m_record = text;
}

void ProgressLine::remaining(const std::string& text)
{
    m_urgent = m_urgent || text != m_remaining;
    m_remaining = text;
}

std::optional<std::string> ProgressLine::due(double nowSeconds)
{
    // The row is live while it tells a time left ("Calculando..." at first).
    std::string line;
    if (!m_remaining.empty())
        line = m_percent + "  " + m_record + "  " + m_remaining;
    const bool early = m_drawnAt && nowSeconds - *m_drawnAt < kRecordIntervalSeconds;
    if (line == m_drawn || (!m_urgent && early && !line.empty()))
        return std::nullopt;
    m_urgent = false;
    m_drawn = line;
    m_drawnAt = nowSeconds;
    return line;
}
