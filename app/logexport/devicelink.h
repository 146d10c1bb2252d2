// Register transactions of the downloads with the window's retry rule: the
// attempt count is re-read from txtRetry before every attempt and the slave
// address from txtEnd at every call, so an edit during a download takes effect
// at once.
#pragma once

#include <cstdint>
#include <functional>

class FormView;
class KestruneApi;

namespace logexport {

class DeviceLink {
public:
    // pause(ms) is what the reset-log download waits after each attempt.
    DeviceLink(KestruneApi& lib, FormView& view, std::function<void(int ms)> pause = {});

    // Repeat until the library answers 1 or the attempts reach txtRetry's
    // leading number; pauseMs > 0 waits that long after every attempt.
    bool write(uint32_t reg, uint32_t value, int pauseMs = 0);
    bool read(uint32_t reg, uint32_t count, int pauseMs = 0);
    uint16_t word(uint32_t index);

private:
    bool retried(const std::function<uint32_t(uint32_t slave)>& call, int pauseMs);
    uint32_t slave() const;

    KestruneApi& m_lib;
    FormView& m_view;
    std::function<void(int ms)> m_pause;
};

} // namespace logexport
