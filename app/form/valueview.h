// frmMain made of plain values, for a front end with no window of its own
// (the command) and for tests: it starts as the control table designs the
// window and keeps the table's rules that editing a range number selects its
// option and that an option group holds one checked option, so that the
// controllers work it exactly as they work a window.
#pragma once

#include "core/formview.h"

#include <map>
#include <string>

class ValueView : public FormView {
public:
    ValueView();

    std::string text(Control c) const override;
    void setText(Control c, const std::string& utf8) override;
    bool isEnabled(Control c) const override;
    void setEnabled(Control c, bool enabled) override;
    bool isChecked(Control c) const override;
    void setChecked(Control c, bool checked) override;
    int listIndex(Control c) const override;
    void setListIndex(Control c, int index) override;
    void setValue(Control, int) override {}
    void setTitle(const std::string&) override {}
    int topTwips() const override { return 0; }
    int leftTwips() const override { return 0; }
    void processEvents() override {}

private:
    std::map<Control, std::string> m_text;
    std::map<Control, bool> m_enabled;
    std::map<Control, bool> m_checked;
    int m_listIndex = -1;
};
