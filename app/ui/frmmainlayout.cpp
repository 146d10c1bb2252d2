// The controls of frmMain as Qt widgets, from the shared table: names,
// captions, initial texts, limits, enabled states, fonts, colours, places.
#include "core/formlayout.h"
#include "form/reportmenu.h"
#include "ui/frmmain.h"
#include "ui/textbox.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace {

QFont fontFor(FontRole role)
{
    QFont f(QStringLiteral("Verdana"));
    f.setPointSizeF(role == FontRole::Button ? 9.0 : 9.75);
    f.setBold(role == FontRole::Status);
    return f;
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
        label->setAlignment(alignmentOf(design.align) | Qt::AlignVCenter);
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
    case ControlKind::Icon:
        break;
    }
    return new QWidget(parent);
}

} // namespace

void FrmMain::buildControls()
{
    auto* area = new QWidget(this);
    area->setObjectName("clientArea");
    area->setFixedSize(kFrmMainClientWidth, kFrmMainClientHeight);
    setCentralWidget(area);

    for (const ControlDesign& design : frmMainControls()) {
        QWidget* w = makeWidget(design, area);
        w->setObjectName(QString::fromLatin1(design.name));
        w->setGeometry(design.rect.x, design.rect.y, design.rect.width, design.rect.height);
        w->setFont(fontFor(design.font));
        paintText(w, design.colour);
        w->setEnabled(design.enabled);
        if (design.id)
            m_controls[*design.id] = w;
        if (design.optionGroup > 0)
            optionGroup(design.optionGroup)->addButton(static_cast<QRadioButton*>(w));
    }
    m_txtCOM = static_cast<TextBox*>(m_controls.at(Control::txtCOM));
}

QButtonGroup* FrmMain::optionGroup(int number)
{
    QButtonGroup*& group = m_optionGroups[number];
    if (!group)
        group = new QButtonGroup(this);
    return group;
}

void FrmMain::buildMenu()
{
    menuBar()->setObjectName("menuBar");
    m_menuPortas = menuBar()->addMenu(QString::fromUtf8(kMenuPortas));
    m_menuPortas->setObjectName("menu_portas");
    connect(m_menuPortas, &QMenu::aboutToShow, this, [this] {
        m_events->guarded([this] { fillPortsMenu(); });
    });

    m_menuRelatorio = menuBar()->addMenu(QString::fromUtf8(kMenuRelatorio));
    m_menuRelatorio->setObjectName("menu_relatorio");
    QAction* last = m_menuRelatorio->addAction(QString::fromUtf8(kMenuUltimoLog));
    last->setObjectName("menu_ultimo_log");
    QAction* chosen = m_menuRelatorio->addAction(QString::fromUtf8(kMenuArquivo));
    chosen->setObjectName("menu_arquivo");
    // The last file may have been written, or removed, since the menu last opened.
    connect(m_menuRelatorio, &QMenu::aboutToShow, this, [this, last, chosen] {
        last->setEnabled(m_reportMenu && m_reportMenu->lastLog());
        chosen->setEnabled(m_reportMenu != nullptr);
    });
    connect(last, &QAction::triggered, this, [this] {
        if (m_reportMenu)
            m_events->guarded([this] { m_reportMenu->openLastLog(); });
    });
    connect(chosen, &QAction::triggered, this, [this] {
        if (m_reportMenu)
            m_events->guarded(
                [this] { m_reportMenu->openChosen(*m_logPicker, text(Control::txtCaminho)); });
    });

    auto* menu_sobre = new QAction(QString::fromUtf8(kMenuSobre), this);
    menu_sobre->setObjectName("menu_sobre");
    menuBar()->addAction(menu_sobre);
    connect(menu_sobre, &QAction::triggered, this, [this] {
        m_events->guarded([this] { menu_sobre_Click(); });
    });
}

void FrmMain::setTabOrder()
{
    QWidget* previous = nullptr;
    for (const ControlDesign& design : frmMainControls()) {
        if (!takesFocus(design.kind))
            continue;
        QWidget* w = m_controls.at(*design.id);
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}
