#include "logexport/exportenv.h"

std::tm SystemClock::now() const
{
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}
