// The progress row of the window as one line of text: its percent, what
// lblTexto says of the record being read, and the time left. Fed with what
// the downloads write into the row; tells when the line is worth drawing
// again, so that a fast line does not flood the terminal.
#pragma once

#include <optional>
#include <string>

class ProgressLine {
public:
    // At most this often for a new record alone; a new percent or time left
    // is drawn at once.
    static constexpr double kRecordIntervalSeconds = 0.2;

    void percent(const std::string& text);
    void record(const std::string& text);
    // "" when the row ends.
    void remaining(const std::string& text);

    // The line to draw now, at `nowSeconds`; "" to clear it; nothing when
    // what is on screen will do.
    std::optional<std::string> due(double nowSeconds);

private:
    std::string m_percent;
    std::string m_record;
    std::string m_remaining;
    bool m_urgent = false;
    std::string m_drawn;
    std::optional<double> m_drawnAt;
};
