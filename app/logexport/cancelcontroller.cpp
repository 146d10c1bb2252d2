#include "logexport/cancelcontroller.h"

#include "core/formvalues.h"
#include "core/formview.h"
#include "logexport/downloadprogress.h"

#include <utility>

CancelController::CancelController(ControllerContext context) : m_ctx(std::move(context)) {}

void CancelController::cmdCancelar_Click()
{
    // Esc reaches here in any state; only a running download has the button on.
    if (!m_ctx.view.isEnabled(Control::cmdCancelar))
        return;
    m_ctx.values.cancelRequested = true;
    m_ctx.view.setEnabled(Control::cmdCancelar, false);
    m_ctx.view.setText(Control::lblRestante, kCancellingText);
}

void CancelController::windowClosing()
{
    if (!m_ctx.values.downloadRunning)
        return;
    if (m_ctx.view.isEnabled(Control::cmdCancelar)) {
        cmdCancelar_Click();
        return;
    }
    // Before its row is live (begin() tells it then), or while it winds up.
    m_ctx.values.cancelRequested = true;
}
