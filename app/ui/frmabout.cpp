#include "ui/frmabout.h"

#include "connection/textnumber.h"
#include "core/prompts.h"
#include "core/settingsstore.h"
#include "logqvr_version.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {
constexpr int kTwipsPerPixel = 15;
} // namespace

int twipsSetting(const SettingsStore& store, const char* key)
{
    const std::optional<std::string> text = store.value(key);
    if (!text)
        return 0;
    try {
        return textnum::roundToInt32(textnum::toDouble(*text));
    } catch (const RuntimeError&) {
        return 0;
    }
}

FrmAbout::FrmAbout(const SettingsStore& store, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint)
{
    setObjectName("frmAbout");
    setModal(true);
    setFixedSize(5730 / kTwipsPerPixel, 3000 / kTwipsPerPixel);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");
    picIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    picIcon->setGeometry(12, 12, 40, 40);

    auto* lblTitle = new QLabel("Software de Log do QVR/KPW", this);
    lblTitle->setObjectName("lblTitle");
    QFont bold = lblTitle->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    lblTitle->setFont(bold);
    lblTitle->setGeometry(64, 10, 306, 24);

    auto* label1 = new QLabel("Quorvane", this);
    label1->setObjectName("Label1");
    label1->setGeometry(64, 36, 306, 20);

    auto* lblVersion = new QLabel(QStringLiteral("Versão"), this);
    lblVersion->setObjectName("lblVersion");
    lblVersion->setGeometry(64, 56, 306, 20);

    auto* lblDescription = new QLabel(
        QStringLiteral("Aplicação para leitura de Log do QVR/KPW. Compatível com firmwares a "
                       "partir da versão 1.24 r1."),
        this);
    lblDescription->setObjectName("lblDescription");
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setGeometry(64, 80, 306, 56);

    // Two lines, dark over light, for the engraved separator look.
    for (int i = 0; i < 2; ++i) {
        auto* line = new QFrame(this);
        line->setObjectName(i == 0 ? "Line1" : "Line1_1");
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(i == 0 ? QFrame::Sunken : QFrame::Plain);
        line->setGeometry(10, 144 + i, 362, 2);
    }

    auto* cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setGeometry(282, 160, 90, 28);
    // Esc reaches QDialog::reject(), Enter the default button: both close.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load(store);
}

void FrmAbout::Form_Load(const SettingsStore& store)
{
    setWindowTitle(QStringLiteral("Sobre ") + QString::fromUtf8(kAppTitle));
    findChild<QLabel*>("lblVersion")
        ->setText(QStringLiteral("Versão %1.%2.%3")
                      .arg(kVersionMajor)
                      .arg(kVersionMinor)
                      .arg(kVersionPatch));
    // Laid out centred first; the stored position (never written by the
    // program, so 0 unless set by hand) then wins, as it always has.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    const int top = twipsSetting(store, settingskey::kTopAbout) / kTwipsPerPixel;
    move(x(), top);
    const int left = twipsSetting(store, settingskey::kLeftAbout) / kTwipsPerPixel;
    move(left, y());
}
