#include "logexport/datalogwalk.h"

#include "core/formview.h"
#include "logexport/datalogrecord.h"

#include <string>

namespace logexport {

int16_t nextRecord(int16_t n)
{
    return n + 1 > kLogCapacity ? 0 : static_cast<int16_t>(n + 1);
}

int stepsForward(int from, int to)
{
    constexpr int kRing = kLogCapacity + 1;
    return ((to - from) % kRing + kRing) % kRing;
}

int walkLength(int16_t first, int16_t end)
{
    if (first > kLogCapacity && first != end)
        return 1 + stepsForward(0, end);
    return stepsForward(first, end);
}

RecordRange restOfWalk(int16_t next, int16_t end)
{
    return {next, end == 0 ? kLogCapacity : end - 1};
}

void chooseRecords(FormView& view, const RecordRange& records, int pointer)
{
    if (records.first == 0 && records.last == pointer && pointer < kLogCapacity) {
        view.setText(Control::txtUltimos, std::to_string(pointer + 1));
        view.setChecked(Control::optUltimos, true);
        return;
    }
    view.setText(Control::txtDe, std::to_string(records.first == 0 ? kLogCapacity : records.first));
    view.setText(Control::txtAte, std::to_string(records.last));
    // Also when the texts were there already and no change selected it.
    view.setChecked(Control::optAte, true);
}

} // namespace logexport
