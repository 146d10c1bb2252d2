// The "Conectar"/"Desconectar" button: open and configure the port, identify
// the device, store the settings and enable the log controls; or close it all.
#pragma once

#include "core/controllercontext.h"

#include <cstdint>
#include <functional>

class ConnectController {
public:
    // logReady runs at the end of every connect that switched the log
    // controls on, told whether this connect read the serial number; it must
    // not throw, as the window already shows the device connected.
    explicit ConnectController(ControllerContext context,
                               std::function<void(bool identified)> logReady = {});

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
    std::function<void(bool identified)> m_logReady;
};
