// The About box: title, maker, version and description, opened from "Sobre".
#pragma once

#include <QDialog>

class SettingsStore;

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(const SettingsStore& store, QWidget* parent = nullptr);

private:
    void Form_Load(const SettingsStore& store);
};

// A stored "TopAbout"/"LeftAbout" text as a number of twips; 0 when absent or
// not a number.
int twipsSetting(const SettingsStore& store, const char* key);
