// Local date and time, taken once per export for the output name; an
// interface so that tests can fix the moment.
#pragma once

#include <ctime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::tm now() const = 0;
};

class SystemClock : public Clock {
public:
    std::tm now() const override;
};
