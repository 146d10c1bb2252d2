// Opening and dropping the serial link, the one way the connect and the
// reset-log download both do it: open the port, two stop bits at the window's
// rate, the read and write time-outs; and on the way out close the port and
// clear PortaAberta.
#pragma once

#include <cstdint>

class FormView;
class KestruneApi;
struct ControllerContext;
struct FormValues;

// The window's port fields, converted before anything is opened so that a
// text that is no number can never leave a port held behind a link marked
// closed.
struct LinkSettings {
    int16_t port = 0;
    int32_t baud = 0;
    uint32_t readTotalConstantMs = 0;
};

// txtCOM as a 16-bit integer, the text of cboBaudRate as a 32-bit integer, and
// txtTimeout's leading number rounded halves to even, 0 when negative (a
// negative time-out would reach the port as some 49 days). Raises RuntimeError.
LinkSettings linkSettingsFrom(const FormView& view);

enum class LinkOpened { Up, NoPort, RateRefused };

// Opens and configures the port and sets PortaAberta. A port that does not
// open is told ("Erro ao abrir porta COM.", and on a second line the library's
// reason when it has one) and dropped; a rate the port
// refuses drops it silently, after the time-outs went out all the same.
LinkOpened openLink(const ControllerContext& ctx, const LinkSettings& settings);

// The port fields on or off, in the order the poll switches them: the poll
// keeps them off while the link is open, and a download while it runs.
void switchPortFields(FormView& view, bool enabled);

// close_comm and PortaAberta false. The flag is cleared first, so it is clear
// even when close_comm cannot be bound (BindError passes on).
void dropLink(KestruneApi& lib, FormValues& values);
