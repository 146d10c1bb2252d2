#include "form/formevents.h"

#include "connection/connectcontroller.h"
#include "connection/pollcontroller.h"
#include "core/errors.h"
#include "core/formlayout.h"
#include "core/formview.h"
#include "core/prompts.h"
#include "form/folderchoice.h"
#include "form/formlifecycle.h"
#include "logexport/cancelcontroller.h"
#include "logexport/datalogdownload.h"
#include "logexport/devicehistory.h"
#include "logexport/resetlogdownload.h"

#include <utility>

FormEvents::FormEvents(ControllerServices services,
                       FormView& view,
                       FolderPicker& folders,
                       std::function<void()> closeWindow)
    : m_services(std::move(services)), m_view(view), m_closeWindow(std::move(closeWindow))
{
    const ControllerContext ctx{m_services, m_view, m_values};
    m_lifecycle = std::make_unique<FormLifecycle>(ctx);
    m_history = std::make_unique<logexport::DeviceHistory>(ctx);
    m_connect = std::make_unique<ConnectController>(ctx, [this](bool identified) {
        m_history->connected(identified);
    });
    m_poll = std::make_unique<PollController>(ctx);
    m_dataLog = std::make_unique<DataLogDownload>(ctx, m_history.get());
    m_resetLog = std::make_unique<ResetLogDownload>(ctx);
    m_cancel = std::make_unique<CancelController>(ctx);
    m_folderChoice = std::make_unique<FolderChoice>(m_view, folders);
    m_clicks = {
        {Control::cmdOK, [this] { m_connect->cmdOK_Click(); }},
        {Control::cmdGerar, [this] { m_dataLog->cmdGerar_Click(); }},
        {Control::cmdLogReset, [this] { m_resetLog->cmdLogReset_Click(); }},
        {Control::cmdProcurar, [this] { m_folderChoice->cmdProcurar_Click(); }},
        {Control::cmdCancelar, [this] { m_cancel->cmdCancelar_Click(); }},
    };
}

FormEvents::~FormEvents() = default;

void FormEvents::Form_Load()
{
    guarded([this] { m_lifecycle->Form_Load(); });
}

void FormEvents::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    guarded([this] { m_lifecycle->Form_Unload(); });
}

void FormEvents::Timer1_Timer()
{
    guarded([this] { m_poll->Timer1_Timer(); });
}

bool FormEvents::click(Control button)
{
    const auto handler = m_clicks.find(button);
    if (handler == m_clicks.end())
        return false;
    guarded(handler->second);
    return true;
}

bool FormEvents::keyPress(Control field, char16_t code)
{
    const ControlDesign& design = frmMainControl(field);
    if (code == kEnterKey && design.enterConnects)
        click(Control::cmdOK);
    if (!design.digitsOnly || code == 0)
        return false;
    const bool digit = code >= u'0' && code <= u'9';
    return !(digit || code == kBackspaceKey);
}

void FormEvents::enter(Control focused)
{
    // One look at the focus, one press: the handler may move the focus to
    // another button (by switching its own off) or close the window.
    if (frmMainControl(focused).kind == ControlKind::Button)
        click(focused);
}

void FormEvents::escape()
{
    for (Control button : frmMainControlsWith(&ControlDesign::pressedByEsc))
        click(button);
}

void FormEvents::textChanged(Control field)
{
    if (const std::optional<Control> option = optionSelectedBy(field))
        m_view.setChecked(*option, true);
}

bool FormEvents::requestClose()
{
    if (m_depth == 0)
        return true;
    // Unloading now would close the port under a walk that goes on, and its
    // boxes would come up for a window that is gone.
    m_closePending = true;
    guarded([this] { m_cancel->windowClosing(); });
    return false;
}

bool FormEvents::portChoiceOpen() const
{
    return m_view.isEnabled(Control::txtCOM) && !m_values.PortaAberta && !m_values.downloadRunning;
}

void FormEvents::portChosen(int32_t port)
{
    if (portChoiceOpen())
        m_view.setText(Control::txtCOM, std::to_string(port));
}

void FormEvents::guarded(const std::function<void()>& handler)
{
    ++m_depth;
    try {
        handler();
    } catch (const std::exception& error) {
        reportError(m_services.prompts, error);
    } catch (...) {
        m_services.prompts.show("Erro inesperado.", PromptIcon::Warning, kAppTitle);
    }
    --m_depth;
    if (m_depth == 0 && m_closePending) {
        m_closePending = false;
        if (m_closeWindow)
            m_closeWindow();
    }
}
