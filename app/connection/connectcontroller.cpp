#include "connection/connectcontroller.h"

#include "connection/connectionsettings.h"
#include "connection/portlink.h"
#include "connection/registers.h"
#include "connection/retry.h"
#include "core/errors.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/kestruneapi.h"
#include "core/prompts.h"
#include "core/textnumber.h"

#include <utility>

ConnectController::ConnectController(ControllerContext context,
                                     std::function<void(bool identified)> logReady)
    : m_ctx(context), m_logReady(std::move(logReady))
{
}

ConnectEnd ConnectController::cmdOK_Click()
{
    if (m_ctx.view.text(Control::cmdOK) == "Conectar")
        return connect();
    disconnect();
    return ConnectEnd::Disconnected;
}

bool ConnectController::inputsInRange()
{
    const double port = textnum::leadingNumber(m_ctx.view.text(Control::txtCOM));
    if (!(port > 0) || port > 255) {
        m_ctx.prompts.show("Porta COM deve ser maior que 0 e menor que 256.",
                           PromptIcon::Information,
                           "Aviso");
        return false;
    }
    if (!(attemptLimit(m_ctx.view) > 0)) {
        m_ctx.prompts.show("Número de tentativas deve ser maior que 0.",
                           PromptIcon::Information,
                           "Aviso");
        return false;
    }
    return true;
}

ConnectEnd ConnectController::connect()
{
    if (!inputsInRange())
        return ConnectEnd::Refused;
    if (m_ctx.values.PortaAberta)
        return ConnectEnd::AlreadyOpen;
    bool portTouched = false;
    try {
        const LinkSettings settings = linkSettingsFrom(m_ctx.view);
        portTouched = true; // from here on a failure must close whatever open_comm left
        switch (openLink(m_ctx, settings)) {
        case LinkOpened::NoPort:
            return ConnectEnd::NoPort;
        case LinkOpened::RateRefused:
            return ConnectEnd::RateRefused;
        case LinkOpened::Up:
            break;
        }
        return identify();
    } catch (const std::exception& error) {
        // A text that is no number, or an export that cannot be bound, ends the
        // connect; the port must not stay held while the window says it is closed.
        // Nothing throws once the caption reads "Desconectar", so the link
        // given up here is never one the window shows as connected.
        reportError(m_ctx.prompts, error);
        if (portTouched) {
            try {
                dropLink(m_ctx.lib, m_ctx.values);
            } catch (const BindError&) {
                // The error is told already; a close that cannot be bound adds nothing.
            }
        }
        return dynamic_cast<const BindError*>(&error) ? ConnectEnd::NoLibrary : ConnectEnd::Error;
    }
}

ConnectEnd ConnectController::identify()
{
    FormValues& v = m_ctx.values;
    const bool identified = retriedRead(m_ctx.lib, m_ctx.view, slave(), reg::kIdent, 3);
    if (identified) {
        v.VersaoHUS_inf = static_cast<int32_t>(m_ctx.lib.modbus_var(0));
        v.NumSerie1 = static_cast<int32_t>(m_ctx.lib.modbus_var(1));
        v.NumSerie2 = static_cast<int32_t>(m_ctx.lib.modbus_var(2));
        if (retriedRead(m_ctx.lib, m_ctx.view, slave(), reg::kRelease, 1))
            v.Subversao = static_cast<int32_t>(m_ctx.lib.modbus_var(0));
        saveConnectionSettings(m_ctx.store, m_ctx.view);
    }
    // An unreadable option register counts as "no option" rather than taking
    // whatever an earlier reply left in the register image.
    if (retriedRead(m_ctx.lib, m_ctx.view, slave(), reg::kOptions, 1))
        v.Options = m_ctx.lib.bit_test(m_ctx.lib.modbus_var(0), 1) == 1 ? 1 : 0;
    else
        v.Options = 0;
    if (retriedRead(m_ctx.lib, m_ctx.view, slave(), reg::kLogPointer, 1)) {
        v.PonteiroLOG = static_cast<int32_t>(m_ctx.lib.modbus_var(0));
        enableLogControls();
        if (m_logReady)
            m_logReady(identified);
        return ConnectEnd::Connected;
    }
    m_ctx.prompts.show("Erro ao ler os registradores.", PromptIcon::Warning, "Erro");
    dropLink(m_ctx.lib, v);
    return ConnectEnd::NoAnswer;
}

void ConnectController::enableLogControls()
{
    FormView& view = m_ctx.view;
    for (Control c : {Control::optInteira,
                      Control::optUltimos,
                      Control::optAte,
                      Control::txtAte,
                      Control::lblAte,
                      Control::lblTexto,
                      Control::lblUltimos,
                      Control::lblDeAte,
                      Control::txtUltimos,
                      Control::txtDe})
        view.setEnabled(c, true);
    if (m_ctx.values.Options == 1)
        view.setEnabled(Control::cmdGerar, true);
    else
        m_ctx.prompts.show(
            "Equipamento sem o Opcional de Log ativo. Não será possível gerar arquivo de Log.",
            PromptIcon::Warning,
            "Erro");
    view.setEnabled(Control::cmdLogReset, true);
    const std::string pointer = std::to_string(m_ctx.values.ponteiro());
    view.setText(Control::lblAte, "Último Log gravado = " + pointer);
    view.setText(Control::txtAte, pointer);
    view.setText(Control::cmdOK, "Desconectar");
}

void ConnectController::disconnect()
{
    try {
        dropLink(m_ctx.lib, m_ctx.values);
    } catch (const BindError& error) {
        reportError(m_ctx.prompts, error);
    }
    FormView& view = m_ctx.view;
    view.setText(Control::cmdOK, "Conectar");
    for (Control c : {Control::optInteira,
                      Control::optUltimos,
                      Control::optAte,
                      Control::txtAte,
                      Control::lblAte,
                      Control::cmdGerar,
                      Control::cmdLogReset,
                      Control::lblTexto,
                      Control::lblUltimos,
                      Control::lblDeAte,
                      Control::txtUltimos,
                      Control::txtDe})
        view.setEnabled(c, false);
}

uint32_t ConnectController::slave() const
{
    return static_cast<uint32_t>(textnum::toInt16(m_ctx.view.text(Control::txtEnd)));
}
