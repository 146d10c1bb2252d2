#include "ui/frmabout.h"

#include "core/formlayout.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

QWidget* makeWidget(const ControlDesign& design, QDialog* box)
{
    const QString text = QString::fromUtf8(design.text);
    switch (design.kind) {
    case ControlKind::Icon: {
        auto* icon = new QLabel(box);
        icon->setPixmap(box->style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
        return icon;
    }
    case ControlKind::Separator: {
        auto* line = new QFrame(box);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(text, box);
        button->setDefault(true);
        button->setAutoDefault(true);
        // Esc reaches QDialog::reject(), Enter the default button: both close.
        QObject::connect(button, &QPushButton::clicked, box, &QDialog::accept);
        return button;
    }
    default:
        break;
    }
    auto* label = new QLabel(text, box);
    label->setWordWrap(design.wordWrap);
    label->setAlignment(Qt::AlignLeft | (design.wordWrap ? Qt::AlignTop : Qt::AlignVCenter));
    if (design.font == FontRole::DialogTitle) {
        QFont bold = label->font();
        bold.setBold(true);
        bold.setPointSizeF(bold.pointSizeF() * 1.2);
        label->setFont(bold);
    }
    return label;
}

} // namespace

FrmAbout::FrmAbout(const SettingsStore& store, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint)
{
    setObjectName("frmAbout");
    setModal(true);
    setFixedSize(kFrmAboutClientWidth, kFrmAboutClientHeight);
    for (const ControlDesign& design : frmAboutControls()) {
        QWidget* w = makeWidget(design, this);
        w->setObjectName(QString::fromLatin1(design.name));
        w->setGeometry(design.rect.x, design.rect.y, design.rect.width, design.rect.height);
    }
    Form_Load(store);
}

void FrmAbout::Form_Load(const SettingsStore& store)
{
    setWindowTitle(QString::fromStdString(aboutCaption()));
    findChild<QLabel*>("lblVersion")->setText(QString::fromStdString(aboutVersionText()));
    // Laid out centred first; the stored position (never written by the
    // program, so 0 unless set by hand) then wins, as it always has.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    const ScreenPoint stored = aboutPosition(store);
    move(x(), stored.y);
    move(stored.x, y());
}
