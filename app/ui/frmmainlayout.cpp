// The controls of frmMain: names, captions, initial texts, limits, enabled
// states, fonts, colours and positions (in pixels; 15 twips each).
#include "ui/frmmain.h"
#include "ui/textbox.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

const char* const kBaudRateEntries[6] =
    {"     4800", "     9600", "     19200", "     38400", "     56000", "     115200"};

namespace {

constexpr int kClientWidth = 440; // 6600 twips
// The progress row under lblTexto; everything below it moves down by this.
constexpr int kProgressRowHeight = 32;
// 7845 twips, and the progress row.
constexpr int kClientHeight = 523 + kProgressRowHeight;

QFont fieldFont()
{
    QFont f(QStringLiteral("Verdana"));
    f.setPointSizeF(9.75);
    return f;
}

QFont buttonFont()
{
    QFont f(QStringLiteral("Verdana"));
    f.setPointSizeF(9.0);
    return f;
}

void paintText(QWidget* w, const QColor& colour)
{
    // Active and inactive only: a disabled control keeps the style's grey.
    QPalette p = w->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Text, colour);
        p.setColor(group, QPalette::WindowText, colour);
        p.setColor(group, QPalette::ButtonText, colour);
    }
    w->setPalette(p);
}

template <class W> W* named(W* w, const char* name, const QRect& where, const QFont& font)
{
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(where);
    w->setFont(font);
    return w;
}

QLabel* label(QWidget* parent,
              const char* name,
              const QString& text,
              const QRect& where,
              Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter)
{
    auto* l = named(new QLabel(text, parent), name, where, fieldFont());
    l->setAlignment(align);
    return l;
}

TextBox*
textBox(QWidget* parent, const char* name, const QString& text, int limit, const QRect& where)
{
    auto* t = named(new TextBox(parent), name, where, fieldFont());
    t->setText(text);
    t->setTypingLimit(limit);
    t->setAlignment(Qt::AlignHCenter);
    return t;
}

QFrame* separator(QWidget* parent, const char* name, int y)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(8, y, kClientWidth - 16, 3);
    return line;
}

} // namespace

void FrmMain::buildControls()
{
    auto* area = new QWidget(this);
    area->setObjectName("clientArea");
    area->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(area);
    const QColor blue(0, 0, 192);
    const QColor red(192, 0, 0);

    // Top block: labels right-aligned up to x 150, fields from x 158.
    label(area, "Label8", "Timeout(ms):", {10, 14, 140, 24});
    label(area, "Label7", "Tentativas:", {10, 44, 140, 24});
    label(area, "Label3", "Baud Rate:", {10, 74, 140, 24});
    label(area, "Label1", "Porta COM:", {10, 104, 140, 24});
    label(area, "Label2", QStringLiteral("Endereço:"), {10, 134, 140, 24});
    auto* txtTimeout = textBox(area, "txtTimeout", "1000", 5, {158, 14, 80, 24});
    auto* txtRetry = textBox(area, "txtRetry", "3", 3, {158, 44, 80, 24});
    m_cboBaudRate = named(new QComboBox(area), "cboBaudRate", {158, 74, 112, 24}, fieldFont());
    m_cboBaudRate->setEditable(true);
    m_cboBaudRate->setInsertPolicy(QComboBox::NoInsert);
    for (const char* entry : kBaudRateEntries)
        m_cboBaudRate->addItem(QString::fromLatin1(entry));
    m_cboBaudRate->setCurrentIndex(-1);
    m_cboBaudRate->clearEditText();
    m_txtCOM = textBox(area, "txtCOM", "1", 3, {158, 104, 80, 24});
    m_txtEnd = textBox(area, "txtEnd", "1", 3, {158, 134, 80, 24});
    auto* cmdOK =
        named(new QPushButton("Conectar", area), "cmdOK", {278, 104, 140, 54}, buttonFont());

    // Status lines.
    QFont statusFont = fieldFont();
    statusFont.setBold(true);
    auto* lblStatus = label(area, "lblStatus", "", {8, 170, 424, 22}, Qt::AlignCenter);
    auto* lblNS = label(area, "lblNS", "", {8, 194, 424, 22}, Qt::AlignCenter);
    for (QLabel* l : {lblStatus, lblNS}) {
        l->setFont(statusFont);
        paintText(l, red);
    }
    separator(area, "Line1", 222);

    // Range choice.
    auto* lblAte = label(area,
                         "lblAte",
                         QStringLiteral("Último Log gravado = "),
                         {20, 232, 400, 22},
                         Qt::AlignLeft | Qt::AlignVCenter);
    auto* optInteira = named(new QRadioButton(QStringLiteral("Ler Memória Inteira"), area),
                             "optInteira",
                             {20, 258, 300, 24},
                             fieldFont());
    auto* optUltimos =
        named(new QRadioButton("Ler", area), "optUltimos", {20, 288, 60, 24}, fieldFont());
    auto* txtUltimos = textBox(area, "txtUltimos", "1", 5, {84, 288, 70, 24});
    auto* lblUltimos = label(area,
                             "lblUltimos",
                             QStringLiteral("último(s) log(s)."),
                             {162, 288, 200, 24},
                             Qt::AlignLeft | Qt::AlignVCenter);
    auto* optAte = named(new QRadioButton("Ler", area), "optAte", {20, 318, 60, 24}, fieldFont());
    auto* txtDe = textBox(area, "txtDe", "1", 5, {84, 318, 70, 24});
    auto* lblDeAte =
        label(area, "lblDeAte", QStringLiteral("até"), {158, 318, 36, 24}, Qt::AlignCenter);
    auto* txtAte = textBox(area, "txtAte", "1", 5, {198, 318, 70, 24});

    // Downloads and progress.
    auto* cmdGerar = named(new QPushButton("Gerar Arquivo de LOG", area),
                           "cmdGerar",
                           {110, 354, 220, 30},
                           buttonFont());
    auto* cmdLogReset = named(new QPushButton("LOG de Reset", area),
                              "cmdLogReset",
                              {110, 390, 220, 30},
                              buttonFont());
    auto* lblTexto = label(area, "lblTexto", "", {8, 426, 424, 22}, Qt::AlignCenter);

    // Progress row: bar, percent, time left, "Cancelar".
    auto* prgProgresso =
        named(new QProgressBar(area), "prgProgresso", {8, 457, 120, 18}, fieldFont());
    prgProgresso->setRange(0, 100);
    prgProgresso->setValue(0);
    // The percent has a label of its own, which every style shows.
    prgProgresso->setTextVisible(false);
    auto* lblPercentual = label(area, "lblPercentual", "", {132, 454, 44, 24});
    auto* lblRestante =
        label(area, "lblRestante", "", {182, 454, 152, 24}, Qt::AlignLeft | Qt::AlignVCenter);
    auto* cmdCancelar =
        named(new QPushButton("Cancelar", area), "cmdCancelar", {338, 452, 94, 28}, buttonFont());
    for (QLabel* l : {lblTexto, lblPercentual, lblRestante})
        paintText(l, blue);
    constexpr int below = kProgressRowHeight;
    separator(area, "Line2", 454 + below);

    // Output folder.
    label(area,
          "Label27",
          "Salvar em:",
          {20, 464 + below, 120, 26},
          Qt::AlignLeft | Qt::AlignVCenter);
    auto* cmdProcurar = named(new QPushButton("Procurar...", area),
                              "cmdProcurar",
                              {298, 462 + below, 120, 28},
                              buttonFont());
    m_txtCaminho = textBox(area, "txtCaminho", "", 0, {20, 494 + below, 398, 24});
    m_txtCaminho->setAlignment(Qt::AlignLeft);

    for (QWidget* w : std::initializer_list<QWidget*>{txtTimeout,
                                                      txtRetry,
                                                      m_cboBaudRate,
                                                      m_txtCOM,
                                                      m_txtEnd,
                                                      txtUltimos,
                                                      txtDe,
                                                      txtAte})
        paintText(w, blue);

    m_controls = {{Control::txtTimeout, txtTimeout},
                  {Control::txtRetry, txtRetry},
                  {Control::cboBaudRate, m_cboBaudRate},
                  {Control::txtCOM, m_txtCOM},
                  {Control::txtEnd, m_txtEnd},
                  {Control::cmdOK, cmdOK},
                  {Control::optInteira, optInteira},
                  {Control::optUltimos, optUltimos},
                  {Control::txtUltimos, txtUltimos},
                  {Control::optAte, optAte},
                  {Control::txtDe, txtDe},
                  {Control::txtAte, txtAte},
                  {Control::cmdGerar, cmdGerar},
                  {Control::cmdLogReset, cmdLogReset},
                  {Control::cmdProcurar, cmdProcurar},
                  {Control::txtCaminho, m_txtCaminho},
                  {Control::lblTexto, lblTexto},
                  {Control::lblAte, lblAte},
                  {Control::lblStatus, lblStatus},
                  {Control::lblNS, lblNS},
                  {Control::lblUltimos, lblUltimos},
                  {Control::lblDeAte, lblDeAte},
                  {Control::prgProgresso, prgProgresso},
                  {Control::lblPercentual, lblPercentual},
                  {Control::lblRestante, lblRestante},
                  {Control::cmdCancelar, cmdCancelar}};

    for (Control c : {Control::optInteira,
                      Control::optUltimos,
                      Control::txtUltimos,
                      Control::optAte,
                      Control::txtDe,
                      Control::txtAte,
                      Control::cmdGerar,
                      Control::cmdLogReset,
                      Control::lblAte,
                      Control::lblUltimos,
                      Control::lblDeAte,
                      Control::cmdCancelar})
        m_controls[c]->setEnabled(false);
}

void FrmMain::buildMenu()
{
    menuBar()->setObjectName("menuBar");
    m_menuPortas = menuBar()->addMenu("Portas");
    m_menuPortas->setObjectName("menu_portas");
    connect(m_menuPortas, &QMenu::aboutToShow, this, [this] {
        guarded([this] { fillPortsMenu(); });
    });

    auto* menu_sobre = new QAction("Sobre", this);
    menu_sobre->setObjectName("menu_sobre");
    menuBar()->addAction(menu_sobre);
    connect(menu_sobre, &QAction::triggered, this, [this] {
        guarded([this] { menu_sobre_Click(); });
    });
}

void FrmMain::setTabOrder()
{
    const Control order[] = {Control::txtTimeout,
                             Control::txtRetry,
                             Control::cboBaudRate,
                             Control::txtCOM,
                             Control::txtEnd,
                             Control::cmdOK,
                             Control::optInteira,
                             Control::optUltimos,
                             Control::txtUltimos,
                             Control::optAte,
                             Control::txtDe,
                             Control::txtAte,
                             Control::cmdGerar,
                             Control::cmdLogReset,
                             Control::cmdProcurar,
                             Control::txtCaminho,
                             // Last, after the controls the window always had; Esc presses it too.
                             Control::cmdCancelar};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(m_controls.at(order[i]), m_controls.at(order[i + 1]));
}
