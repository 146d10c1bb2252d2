// The controls of frmMain as Qt widgets, from the shared table: names,
// captions, initial texts, limits, enabled states, fonts, colours, places.
#include "core/formlayout.h"
#include "form/reportmenu.h"
#include "ui/designedwidget.h"
#include "ui/frmmain.h"
#include "ui/textbox.h"

#include <QAction>
#include <QButtonGroup>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

void FrmMain::buildControls()
{
    auto* area = new QWidget(this);
    area->setObjectName("clientArea");
    area->setFixedSize(kFrmMainClientWidth, kFrmMainClientHeight);
    setCentralWidget(area);

    for (const ControlDesign& design : frmMainControls()) {
        QWidget* w = createDesigned(design, area);
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
