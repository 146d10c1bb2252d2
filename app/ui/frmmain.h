// The main window: builds the controls, implements FormView over them, owns
// the window values and forwards every event to its handler object.
#pragma once

#include "connection/connectcontroller.h"
#include "connection/formlifecycle.h"
#include "connection/pollcontroller.h"
#include "core/controllercontext.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "logexport/datalogdownload.h"
#include "logexport/downloadprogress.h"
#include "logexport/resetlogdownload.h"
#include "ui/folderchoice.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>

class FolderPicker;
class TextBox;
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

    FormValues& values() { return m_values; }
    QTimer& timer1() { return m_timer1; }
    QWidget* control(Control c) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void setTabOrder();
    void connectEvents();
    void applyInputRules();
    bool txtCOM_KeyPress(QKeyEvent* event);
    bool txtEnd_KeyPress(QKeyEvent* event);
    void menu_sobre_Click();
    // "Portas": the serial ports present, read afresh each time it opens.
    void fillPortsMenu();
    // Last line of defence: nothing a handler throws may unwind into Qt.
    void guarded(const std::function<void()>& handler);

    ControllerServices m_services;
    FolderPicker& m_folders;
    FormValues m_values;
    QTimer m_timer1;
    std::map<Control, QWidget*> m_controls;
    TextBox* m_txtCOM = nullptr;
    TextBox* m_txtEnd = nullptr;
    TextBox* m_txtCaminho = nullptr;
    QComboBox* m_cboBaudRate = nullptr;
    QMenu* m_menuPortas = nullptr;
    bool m_unloaded = false;

    std::unique_ptr<FormLifecycle> m_lifecycle;
    std::unique_ptr<ConnectController> m_connect;
    std::unique_ptr<PollController> m_poll;
    std::unique_ptr<DataLogDownload> m_dataLog;
    std::unique_ptr<ResetLogDownload> m_resetLog;
    std::unique_ptr<CancelController> m_cancel;
    std::unique_ptr<FolderChoice> m_folderChoice;
};

// The six entries of the baud-rate list, each with its five leading blanks.
extern const char* const kBaudRateEntries[6];
