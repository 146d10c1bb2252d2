#include "ui/frmabout.h"

#include "core/formlayout.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

QWidget* makeWidget(const ControlSpec& spec, QDialog* box)
{
    const QString text = QString::fromUtf8(spec.text);
    switch (spec.kind) {
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
    label->setWordWrap(spec.wordWrap);
    label->setAlignment(Qt::AlignLeft | (spec.wordWrap ? Qt::AlignTop : Qt::AlignVCenter));
    if (spec.font == FontRole::DialogTitle) {
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
    for (const ControlSpec& spec : frmAboutControls()) {
        QWidget* w = makeWidget(spec, this);
        w->setObjectName(QString::fromLatin1(spec.name));
        w->setGeometry(spec.rect.x, spec.rect.y, spec.rect.width, spec.rect.height);
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
