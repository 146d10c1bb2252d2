// The plain-value window of the command, recording what the handlers do with
// it: enable/disable calls, progress texts and the progress bar's positions
// in order, and a hook for each yield.
#pragma once

#include "form/valueview.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class FakeView : public ValueView {
public:
    void setText(Control c, const std::string& utf8) override;
    void setEnabled(Control c, bool enabled) override;
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
};
