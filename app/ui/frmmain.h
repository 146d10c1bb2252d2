// The main window: builds its controls from the shared table, implements
// FormView over them, and hands every event to the shared FormEvents.
#pragma once

#include "core/controllercontext.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "form/formevents.h"

#include <QMainWindow>
#include <QTimer>

#include <map>
#include <memory>
#include <string>

class FolderPicker;
class LogFilePicker;
class ReportMenu;
class TextBox;
class QButtonGroup;
class QComboBox;
class QKeyEvent;
class QMenu;

class FrmMain : public QMainWindow, public FormView {
    Q_OBJECT
public:
    // Every handler gets `services` with this window as its view; the folder
    // browser serves "Procurar...".
    FrmMain(ControllerServices services, FolderPicker& folders, QWidget* parent = nullptr);
    ~FrmMain() override;

    // FormView
    std::string text(Control c) const override;
    void setText(Control c, const std::string& utf8) override;
    bool isEnabled(Control c) const override;
    void setEnabled(Control c, bool enabled) override;
    bool isChecked(Control c) const override;
    void setChecked(Control c, bool checked) override;
    int listIndex(Control c) const override;
    void setListIndex(Control c, int index) override;
    void setValue(Control c, int percent) override;
    void setTitle(const std::string& utf8) override;
    int topTwips() const override;
    int leftTwips() const override;
    void processEvents() override;

    // "Relatório" acts through `menu`, which the downloads' services tell of
    // each file they write; without it the menu's entries stay disabled.
    void setReportMenu(ReportMenu& menu, LogFilePicker& picker);

    FormValues& values() { return m_events->values(); }
    QTimer& timer1() { return m_timer1; }
    QWidget* control(Control c) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // The exclusive group of options numbered `number` in the table.
    QButtonGroup* optionGroup(int number);
    void buildMenu();
    void setTabOrder();
    void connectEvents();
    void applyInputRules();
    void menu_sobre_Click();
    // "Portas": the serial ports present, read afresh each time it opens.
    void fillPortsMenu();

    ControllerServices m_services;
    QTimer m_timer1;
    std::map<Control, QWidget*> m_controls;
    std::map<int, QButtonGroup*> m_optionGroups;
    TextBox* m_txtCOM = nullptr;
    QMenu* m_menuPortas = nullptr;
    QMenu* m_menuRelatorio = nullptr;
    ReportMenu* m_reportMenu = nullptr;
    LogFilePicker* m_logPicker = nullptr;
    std::unique_ptr<FormEvents> m_events;
};
