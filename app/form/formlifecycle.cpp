#include "form/formlifecycle.h"

#include "connection/connectionsettings.h"
#include "connection/portlink.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/kestruneapi.h"

FormLifecycle::FormLifecycle(ControllerContext context) : m_ctx(context) {}

void FormLifecycle::Form_Load()
{
    m_ctx.values.PortaAberta = false;
    const ConnectionSettings s = ConnectionSettings::load(m_ctx.store, m_ctx.firstRunCaminho);
    m_ctx.view.setText(Control::txtTimeout, s.timeout);
    m_ctx.view.setText(Control::txtRetry, s.retries);
    m_ctx.view.setListIndex(Control::cboBaudRate, s.baudIndex);
    m_ctx.view.setText(Control::txtCOM, s.com);
    m_ctx.view.setText(Control::txtEnd, s.endereco);
    m_ctx.view.setText(Control::txtCaminho, s.caminho);
    m_ctx.view.setTitle(windowTitle());
}

void FormLifecycle::Form_Unload()
{
    try {
        dropLink(m_ctx.lib, m_ctx.values);
    } catch (const BindError&) {
        // A library that cannot be bound never opened a port: nothing to close.
    }
}
