#include "connection/retry.h"

#include "core/formview.h"
#include "core/kestruneapi.h"
#include "core/textnumber.h"

double attemptLimit(const FormView& view)
{
    return textnum::leadingNumber(view.text(Control::txtRetry));
}

bool retried(const FormView& view,
             const std::function<bool()>& attempt,
             const std::function<void()>& afterEach)
{
    bool ok = false;
    // A double count compared with the fresh limit: 2.5 allows a third attempt.
    double made = 0;
    while (made < attemptLimit(view) && !ok) {
        ok = attempt();
        made += 1;
        if (afterEach)
            afterEach();
    }
    return ok;
}

bool retriedRead(KestruneApi& lib,
                 const FormView& view,
                 uint32_t slave,
                 uint32_t first,
                 uint32_t count,
                 const std::function<void()>& afterEach)
{
    return retried(
        view,
        [&] { return lib.modbus_rd(slave, first, count) == 1; },
        afterEach);
}
