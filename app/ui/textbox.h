// A line edit with the text-box habits of the window: a limit on what the
// user types (text the program writes may be longer and is kept whole), a
// hook that sees each key first, and optional select-all on focus or click.
#pragma once

#include <QLineEdit>

#include <functional>

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    // 0 = no limit. Unlike QLineEdit::setMaxLength, setText() never truncates.
    void setTypingLimit(int characters);
    int typingLimit() const { return m_limit; }
    void setSelectAllOnFocus(bool on) { m_selectOnFocus = on; }
    void setSelectAllOnClick(bool on) { m_selectOnClick = on; }
    // Selects the whole text with the caret at the start.
    void selectAllFromStart();

    // Sees every key press before the field; returning true discards the key.
    std::function<bool(QKeyEvent*)> keyHook;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_limit = 0;
    qsizetype m_lastLength = 0;
    bool m_selectOnFocus = false;
    bool m_selectOnClick = false;
};
