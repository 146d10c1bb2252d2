#include "ui/frmabout.h"

#include "core/formlayout.h"
#include "ui/designedwidget.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

FrmAbout::FrmAbout(const SettingsStore& store, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint)
{
    setObjectName("frmAbout");
    setModal(true);
    setFixedSize(kFrmAboutClientWidth, kFrmAboutClientHeight);
    for (const ControlDesign& design : frmAboutControls())
        createDesigned(design, this);
    auto* ok = findChild<QPushButton*>("cmdOK");
    ok->setDefault(true);
    ok->setAutoDefault(true);
    // Esc reaches QDialog::reject(), Enter the default button: both close.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
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
