// The one retry rule of every register read and write the program makes:
// repeat until the library returns 1 or the attempts made reach the numeric
// value of txtRetry, which is read afresh before each attempt (so a user who
// edits the field during a long download changes the rule at once).
#pragma once

#include <cstdint>
#include <functional>

class KestruneApi;
class FormView;

// Numeric value (leading number) of txtRetry right now; may have a fraction
// (2.5 allows 3 attempts) and may be 0 or negative (no attempt at all).
double attemptLimit(const FormView& view);

// Runs `attempt` while fewer attempts than attemptLimit(view) have been made
// and none has returned true; `afterEach` (may be empty) runs after every
// attempt, successful or not, e.g. a fixed pause. True when one attempt did.
bool retried(const FormView& view,
             const std::function<bool()>& attempt,
             const std::function<void()>& afterEach = {});

// Retried modbus_rd(slave, first, count); success is a result of exactly 1.
// The registers are then fetched with lib.modbus_var(0 .. count-1).
bool retriedRead(KestruneApi& lib,
                 const FormView& view,
                 uint32_t slave,
                 uint32_t first,
                 uint32_t count,
                 const std::function<void()>& afterEach = {});
