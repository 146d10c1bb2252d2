// A window made of plain values, for driving the handlers without a display.
// It starts as the control table designs the window, keeps the table's rules
// that editing a range number selects its option and that an option group
// holds one checked option, and records enable/disable calls and the progress
// bar's positions in order.
#pragma once

#include "core/formview.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class FakeView : public FormView {
public:
    FakeView();

    std::string text(Control c) const override;
    void setText(Control c, const std::string& utf8) override;
    bool isEnabled(Control c) const override;
    void setEnabled(Control c, bool enabled) override;
    bool isChecked(Control c) const override;
    void setChecked(Control c, bool checked) override;
    int listIndex(Control c) const override;
    void setListIndex(Control c, int index) override;
    void setValue(Control c, int percent) override;
    void setTitle(const std::string& utf8) override { title = utf8; }
    int topTwips() const override { return top; }
    int leftTwips() const override { return left; }
    void processEvents() override;

    // Every setEnabled call, in order.
    std::vector<std::pair<Control, bool>> enableLog;
    // Every text written to lblTexto, in order.
    std::vector<std::string> progressLog;
    // Every position given to the progress bar, in order.
    std::vector<int> barLog;
    // Run at each processEvents (e.g. to simulate a click during a download).
    std::function<void()> onProcessEvents;
    int processEventsCount = 0;
    std::string title;
    int top = 1500;
    int left = 3000;

private:
    std::map<Control, std::string> m_text;
    std::map<Control, bool> m_enabled;
    std::map<Control, bool> m_checked;
    int m_listIndex = -1;
};
