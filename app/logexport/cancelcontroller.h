// How a running download is asked to stop: "Cancelar", Esc, or the window
// closing. It stops after the record in flight, which it stores first.
#pragma once

#include "core/controllercontext.h"

// Says "Cancelando..." in the progress row while the walk winds up.
class CancelController {
public:
    explicit CancelController(ControllerContext context);
    // Only once the row is live: "Cancelar" is off until then.
    void cmdCancelar_Click();
    // The window is to close: a running download stops after the record in
    // flight, even one whose row is not live yet.
    void windowClosing();

private:
    ControllerContext m_ctx;
};
