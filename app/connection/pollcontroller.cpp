#include "connection/pollcontroller.h"

#include "connection/portlink.h"
#include "connection/registers.h"
#include "connection/retry.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/kestruneapi.h"
#include "core/textnumber.h"

#include <cstdlib>

namespace {

// v1.23 is the oldest firmware whose log layout the program reads.
constexpr int32_t kMinimumFirmware = 123;

std::string zeroFilled(int64_t magnitude, std::size_t width)
{
    std::string digits = std::to_string(magnitude);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

} // namespace

// Integer arithmetic keeps the text free of the user's number format and of
// binary fractions (1.005 and friends).
std::string versionText(int32_t versionTimes100)
{
    const int64_t v = versionTimes100;
    const int64_t magnitude = std::llabs(v);
    return std::string(v < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." +
           zeroFilled(magnitude % 100, 2);
}

std::string threeDigits(int32_t value)
{
    const int64_t v = value;
    return std::string(v < 0 ? "-" : "") + zeroFilled(std::llabs(v), 3);
}

PollController::PollController(ControllerContext context) : m_ctx(context) {}

void PollController::Timer1_Timer()
{
    if (m_ctx.values.PortaAberta) {
        showConnected();
        switchPortFields(m_ctx.view, false);
        refreshLogPointer();
    } else {
        m_ctx.view.setText(Control::lblStatus, "Desconectado.");
        // A tick in a download's yield leaves them to the download, which
        // gives them back at its end.
        if (m_ctx.values.downloadRunning)
            return;
        switchPortFields(m_ctx.view, true);
        m_ctx.view.setEnabled(Control::cmdOK, true);
    }
}

void PollController::showConnected()
{
    const FormValues& v = m_ctx.values;
    const std::string version = versionText(v.VersaoHUS_inf);
    const std::string release = std::to_string(v.Subversao);
    if (v.VersaoHUS_inf < kMinimumFirmware) {
        m_ctx.view.setText(Control::lblStatus,
                           "Erro!!!       FW v" + version + "r" + release + "       Erro!!!");
        m_ctx.view.setText(Control::lblNS, "Software compatível somente a partir da v1.23.");
    } else {
        m_ctx.view.setText(Control::lblStatus,
                           "Conectado. Firmware v" + version + " Release " + release);
        m_ctx.view.setText(Control::lblNS,
                           "Número de Série: " + threeDigits(v.NumSerie1) +
                               threeDigits(v.NumSerie2));
    }
}

void PollController::refreshLogPointer()
{
    // A failed poll is silent by design, and so is one that cannot even be
    // made: a box from a tick would come back every 500 ms.
    try {
        const auto slave =
            static_cast<uint32_t>(textnum::toInt16(m_ctx.view.text(Control::txtEnd)));
        if (!retriedRead(m_ctx.lib, m_ctx.view, slave, reg::kLogPointer, 1))
            return;
        m_ctx.values.PonteiroLOG = static_cast<int32_t>(m_ctx.lib.modbus_var(0));
        m_ctx.view.setText(Control::lblAte,
                           "Último Log gravado = " + std::to_string(m_ctx.values.ponteiro()));
    } catch (const std::exception&) {
    }
}
