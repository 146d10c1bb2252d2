#include "ui/textbox.h"

#include <QKeyEvent>
#include <QValidator>

namespace {

// Refuses user edits that make the text longer than the limit, but lets a
// text that is already longer (written by the program) be shortened.
class TypingLimit : public QValidator {
public:
    TypingLimit(const int& limit, const qsizetype& lastLength, QObject* parent)
        : QValidator(parent), m_limit(limit), m_lastLength(lastLength)
    {
    }
    State validate(QString& input, int&) const override
    {
        if (m_limit > 0 && input.size() > m_limit && input.size() > m_lastLength)
            return Invalid;
        return Acceptable;
    }

private:
    const int& m_limit;
    const qsizetype& m_lastLength;
};

} // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
        m_lastLength = t.size();
    });
    setValidator(new TypingLimit(m_limit, m_lastLength, this));
}

void TextBox::setTypingLimit(int characters)
{
    m_limit = characters;
}

void TextBox::selectAllFromStart()
{
    const auto length = static_cast<int>(text().size());
    setSelection(length, -length);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (keyHook && keyHook(event)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (m_selectOnFocus)
        selectAllFromStart();
}

void TextBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (m_selectOnClick)
        selectAllFromStart();
}
