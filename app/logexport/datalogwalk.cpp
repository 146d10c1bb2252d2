#include "logexport/datalogwalk.h"

#include "logexport/datalogrecord.h"

namespace logexport {

int16_t nextRecord(int16_t n)
{
    return n + 1 > kLogCapacity ? 0 : static_cast<int16_t>(n + 1);
}

int walkLength(int16_t first, int16_t end)
{
    if (first == end)
        return 0;
    if (first > kLogCapacity)
        return 1 + walkLength(0, end);
    if (first < end)
        return end - first;
    return kLogCapacity + 1 - first + end;
}

RecordRange restOfWalk(int16_t next, int16_t end)
{
    return {next == 0 ? kLogCapacity : next, end == 0 ? kLogCapacity : end - 1};
}

} // namespace logexport
