// The 500 ms link poll: status lines from the identification values, port
// controls switched with the link state, the log pointer kept current.
#pragma once

#include "core/controllercontext.h"

#include <cstdint>
#include <string>

class PollController {
public:
    explicit PollController(ControllerContext context);
    void Timer1_Timer();

private:
    void showConnected();
    void refreshLogPointer();

    ControllerContext m_ctx;
};

// VersaoHUS_inf / 100 as "0.00", always with a point (124 -> "1.24", 5 -> "0.05").
std::string versionText(int32_t versionTimes100);
// A number as "000": at least three digits, zero-filled (12 -> "012", 1234 -> "1234").
std::string threeDigits(int32_t value);
