// The "Conectar"/"Desconectar" button: open and configure the port, identify
// the device, store the settings and enable the log controls; or close it all.
#pragma once

#include "core/controllercontext.h"

#include <cstdint>

class ConnectController {
public:
    explicit ConnectController(ControllerContext context);

    // Also run by Enter in txtCOM and txtEnd.
    void cmdOK_Click();

private:
    void connect();
    bool inputsInRange();
    void identify();
    void enableLogControls();
    void disconnect();
    // txtEnd converted at each use, as the address may be edited between reads.
    uint32_t slave() const;

    ControllerContext m_ctx;
};
