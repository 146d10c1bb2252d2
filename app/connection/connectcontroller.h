// The "Conectar"/"Desconectar" button: open and configure the port, identify
// the device, store the settings and enable the log controls; or close it all.
#pragma once

#include "core/controllercontext.h"

#include <cstdint>
#include <functional>

// How a click ended, for a caller that is no window; what the user had to
// know was told in a box either way.
enum class ConnectEnd {
    Connected,    // the log pointer was read: "Desconectar"
    Disconnected, // the click disconnected
    Refused,      // the port number or the attempt count out of range
    AlreadyOpen,  // PortaAberta was already set: nothing done
    NoPort,       // the port did not open
    RateRefused,  // the port took no such rate; dropped without a box
    NoAnswer,     // the log pointer could not be read; the link is dropped
    Error,        // a field that is no number, or out of range for its use
    NoLibrary,    // libkestrune or one of its exports cannot be bound
};

class ConnectController {
public:
    // logReady runs at the end of every connect that switched the log
    // controls on, told whether this connect read the serial number; it must
    // not throw, as the window already shows the device connected.
    explicit ConnectController(ControllerContext context,
                               std::function<void(bool identified)> logReady = {});

    // Also run by Enter in txtCOM and txtEnd.
    ConnectEnd cmdOK_Click();

private:
    ConnectEnd connect();
    bool inputsInRange();
    ConnectEnd identify();
    void enableLogControls();
    void disconnect();
    // txtEnd converted at each use, as the address may be edited between reads.
    uint32_t slave() const;

    ControllerContext m_ctx;
    std::function<void(bool identified)> m_logReady;
};
