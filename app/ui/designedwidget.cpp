#include "ui/designedwidget.h"

#include "core/formlayout.h"
#include "ui/textbox.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

// Verdana as the main window was designed; the About box keeps the system's
// dialog font, its title bold and a fifth larger.
void setFontOf(QWidget* w, FontRole role)
{
    if (role == FontRole::Dialog)
        return;
    if (role == FontRole::DialogTitle) {
        QFont title = w->font();
        title.setBold(true);
        title.setPointSizeF(title.pointSizeF() * 1.2);
        w->setFont(title);
        return;
    }
    QFont f(QStringLiteral("Verdana"));
    f.setPointSizeF(role == FontRole::Button ? 9.0 : 9.75);
    f.setBold(role == FontRole::Status);
    w->setFont(f);
}

Qt::Alignment alignmentOf(TextAlign align)
{
    switch (align) {
    case TextAlign::Centre:
        return Qt::AlignHCenter;
    case TextAlign::Right:
        return Qt::AlignRight;
    case TextAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}

void paintText(QWidget* w, TextColour colour)
{
    if (colour == TextColour::Default)
        return;
    const QColor c = colour == TextColour::Blue ? QColor(0, 0, 192) : QColor(192, 0, 0);
    // Active and inactive only: a disabled control keeps the style's grey.
    QPalette p = w->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Text, c);
        p.setColor(group, QPalette::WindowText, c);
        p.setColor(group, QPalette::ButtonText, c);
    }
    w->setPalette(p);
}

QWidget* makeWidget(const ControlDesign& design, QWidget* parent)
{
    const QString text = QString::fromUtf8(design.text);
    switch (design.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(design.wordWrap);
        label->setAlignment(alignmentOf(design.align) |
                            (design.wordWrap ? Qt::AlignTop : Qt::AlignVCenter));
        return label;
    }
    case ControlKind::TextBox: {
        auto* box = new TextBox(parent);
        box->setText(text);
        box->setTypingLimit(design.typingLimit);
        box->setAlignment(alignmentOf(design.align));
        return box;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (const char* entry : kBaudRateEntries)
            combo->addItem(QString::fromLatin1(entry));
        combo->setCurrentIndex(-1);
        combo->clearEditText();
        return combo;
    }
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::Option:
        return new QRadioButton(text, parent);
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        // The percent has a label of its own, which every style shows.
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::Separator: {
        auto* line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case ControlKind::Icon: {
        auto* icon = new QLabel(parent);
        icon->setPixmap(parent->style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
        return icon;
    }
    }
    return new QWidget(parent);
}

} // namespace

QWidget* createDesigned(const ControlDesign& design, QWidget* parent)
{
    QWidget* w = makeWidget(design, parent);
    w->setObjectName(QString::fromLatin1(design.name));
    w->setGeometry(design.rect.x, design.rect.y, design.rect.width, design.rect.height);
    setFontOf(w, design.font);
    paintText(w, design.colour);
    w->setEnabled(design.enabled);
    return w;
}
