// A clock stopped at 5 March 2024, 14:05:09, so output names are known in
// advance (..._2024_03_05_14_05_09.mdb); it counts how often it was read,
// since an export must take the date and time once.
#pragma once

#include "core/clock.h"

#include <ctime>

class FixedClock : public Clock {
public:
    std::tm now() const override
    {
        ++m_calls;
        std::tm t{};
        t.tm_year = 2024 - 1900;
        t.tm_mon = 2;
        t.tm_mday = 5;
        t.tm_hour = 14;
        t.tm_min = 5;
        t.tm_sec = 9;
        return t;
    }
    int calls() const { return m_calls; }

private:
    mutable int m_calls = 0;
};
