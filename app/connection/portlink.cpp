#include "connection/portlink.h"

#include "core/controllercontext.h"
#include "core/formlayout.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/kestruneapi.h"
#include "core/prompts.h"
#include "core/textnumber.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kOpenOk = 4;
constexpr uint32_t kBaudApplied = 1;
constexpr uint32_t kTwoStopBits = 2;
// set_timeout arguments besides the read total constant: read interval, read
// total multiplier, write total constant, write total multiplier (ms).
constexpr uint32_t kReadIntervalMs = 10000;
constexpr uint32_t kReadMultiplierMs = 1;
constexpr uint32_t kWriteConstantMs = 5000;
constexpr uint32_t kWriteMultiplierMs = 1000;

// The fixed first line, then the library's reason when it can give one: a
// technician cannot tell a missing adapter from a port another program holds
// or a missing group membership by the first line alone.
std::string openFailureText(KestruneApi& lib)
{
    std::string text = "Erro ao abrir porta COM.";
    const std::string reason = lib.lastErrorText();
    if (!reason.empty())
        text += "\n" + reason;
    return text;
}

} // namespace

LinkSettings linkSettingsFrom(const FormView& view)
{
    LinkSettings s;
    s.port = textnum::toInt16(view.text(Control::txtCOM));
    s.baud = textnum::toInt32(view.text(Control::cboBaudRate));
    const int32_t timeoutMs =
        textnum::roundToInt32(textnum::leadingNumber(view.text(Control::txtTimeout)));
    s.readTotalConstantMs = static_cast<uint32_t>(std::max(0, timeoutMs));
    return s;
}

LinkOpened openLink(const ControllerContext& ctx, const LinkSettings& settings)
{
    if (ctx.lib.open_comm(settings.port) != kOpenOk) {
        ctx.prompts.show(openFailureText(ctx.lib), PromptIcon::Warning, "Erro");
        dropLink(ctx.lib, ctx.values);
        return LinkOpened::NoPort;
    }
    const uint32_t baudResult =
        ctx.lib.set_baud(static_cast<uint32_t>(settings.baud), kTwoStopBits);
    ctx.lib.set_timeout(kReadIntervalMs,
                        settings.readTotalConstantMs,
                        kReadMultiplierMs,
                        kWriteConstantMs,
                        kWriteMultiplierMs);
    if (baudResult != kBaudApplied) {
        dropLink(ctx.lib, ctx.values);
        return LinkOpened::RateRefused;
    }
    ctx.values.PortaAberta = true;
    return LinkOpened::Up;
}

void switchPortFields(FormView& view, bool enabled)
{
    for (Control c : frmMainControlsWith(&ControlDesign::connectionField))
        view.setEnabled(c, enabled);
}

void dropLink(KestruneApi& lib, FormValues& values)
{
    values.PortaAberta = false;
    lib.close_comm();
}
