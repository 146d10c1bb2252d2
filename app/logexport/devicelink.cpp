#include "logexport/devicelink.h"

#include "connection/retry.h"
#include "core/formview.h"
#include "core/kestruneapi.h"
#include "core/textnumber.h"

#include <utility>

namespace logexport {

DeviceLink::DeviceLink(KestruneApi& lib, FormView& view, std::function<void(int ms)> pause)
    : m_lib(lib), m_view(view), m_pause(std::move(pause))
{
}

uint32_t DeviceLink::slave() const
{
    // The library takes the 16-bit address widened as a signed value.
    return static_cast<uint32_t>(
        static_cast<int32_t>(textnum::toInt16(m_view.text(Control::txtEnd))));
}

bool DeviceLink::retried(const std::function<uint32_t(uint32_t slave)>& call, int pauseMs)
{
    // The address is converted inside the attempt: with no attempt to make, a
    // bad address text is never looked at.
    return ::retried(
        m_view,
        [&] { return call(slave()) == 1; },
        [&] {
            if (pauseMs > 0 && m_pause)
                m_pause(pauseMs);
        });
}

bool DeviceLink::write(uint32_t reg, uint32_t value, int pauseMs)
{
    return retried([&](uint32_t s) { return m_lib.modbus_wr(s, reg, value); }, pauseMs);
}

bool DeviceLink::read(uint32_t reg, uint32_t count, int pauseMs)
{
    return retried([&](uint32_t s) { return m_lib.modbus_rd(s, reg, count); }, pauseMs);
}

uint16_t DeviceLink::word(uint32_t index)
{
    return static_cast<uint16_t>(m_lib.modbus_var(index));
}

} // namespace logexport
