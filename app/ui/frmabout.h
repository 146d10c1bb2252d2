// The About box: title, maker, version and description, opened from "Sobre".
#pragma once

#include "form/aboutbox.h"

#include <QDialog>

class SettingsStore;

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(const SettingsStore& store, QWidget* parent = nullptr);

private:
    void Form_Load(const SettingsStore& store);
};
