#include "logexport/devicehistory.h"

#include "core/formvalues.h"
#include "core/formview.h"
#include "core/settingsstore.h"
#include "logexport/datalogrecord.h"
#include "logexport/datalogwalk.h"
#include "logexport/devicelink.h"

#include <exception>

namespace logexport {

namespace {

std::string since(const LastSaved& mark)
{
    return " desde " + mark.stamp.data + " " + mark.stamp.hora;
}

} // namespace

DeviceHistory::DeviceHistory(ControllerContext ctx) : m_ctx(ctx) {}

void DeviceHistory::connected(bool identified)
{
    try {
        m_check = check(identified);
    } catch (const std::exception&) {
        // Whatever failed here (an export that cannot be bound, say) failed
        // after the device had answered: the connect stands, and the memory
        // is neither trusted nor changed until the next connect.
        m_key.reset();
        m_check = {HistoryCheck::Outcome::ReadFailed, {}, m_ctx.values.ponteiro()};
    }
    show(m_check);
}

HistoryCheck DeviceHistory::check(bool identified)
{
    const FormValues& v = m_ctx.values;
    HistoryCheck c;
    c.pointer = v.ponteiro();
    m_key.reset();
    m_base = {};
    if (!identified || m_ctx.history == nullptr)
        return c;
    m_key = historyKey(v.NumSerie1, v.NumSerie2);
    const std::optional<std::string> stored = m_ctx.history->value(*m_key);
    const std::optional<LastSaved> mark = stored ? parseLastSaved(*stored) : std::nullopt;
    if (!mark) {
        c.outcome = HistoryCheck::Outcome::NoMemory;
        return c;
    }
    m_base = {MemoryBase::Kind::Unverified, *mark};
    if (v.Options != 1 || c.pointer < 1 || c.pointer > kLogCapacity) {
        c.mark = *mark;
        return c;
    }
    c = readAgain(*mark, c.pointer);
    if (c.outcome == HistoryCheck::Outcome::Matched)
        m_base.kind = MemoryBase::Kind::Verified;
    else if (c.outcome == HistoryCheck::Outcome::Mismatch)
        m_base.kind = MemoryBase::Kind::None;
    return c;
}

HistoryCheck DeviceHistory::readAgain(const LastSaved& mark, int pointer)
{
    HistoryCheck c{HistoryCheck::Outcome::ReadFailed, mark, pointer};
    DeviceLink link(m_ctx.lib, m_ctx.view);
    // As a download selects: the device takes n - 1, record 0 going out as
    // 0xFFFF; unlike a download, no yield between select and read, as the
    // connect handler never gives the window a turn.
    link.write(kRegLogSelect, static_cast<uint32_t>(mark.record - 1));
    if (!link.read(kRegLogWindow, kLogWindowWords))
        return c;
    const DataLogRow row = decodeDataLog(readDataLogWords(link));
    if (RecordStamp{row.data, row.hora} != mark.stamp) {
        c.outcome = HistoryCheck::Outcome::Mismatch;
        return c;
    }
    c.outcome = HistoryCheck::Outcome::Matched;
    c.newRecords = stepsForward(mark.record, pointer);
    if (c.newRecords > 0)
        c.firstNew = nextRecord(static_cast<int16_t>(mark.record));
    return c;
}

void DeviceHistory::show(const HistoryCheck& c)
{
    FormView& view = m_ctx.view;
    switch (c.outcome) {
    case HistoryCheck::Outcome::Matched:
        if (c.newRecords == 0) {
            view.setText(Control::lblTexto, "Nenhum registro novo" + since(c.mark));
            return;
        }
        view.setText(Control::lblTexto,
                     std::to_string(c.newRecords) + " registro(s) novo(s)" + since(c.mark));
        chooseRecords(view, {c.firstNew, c.pointer}, c.pointer);
        return;
    case HistoryCheck::Outcome::Mismatch:
        view.setText(Control::lblTexto,
                     "Histórico não confere: memória do equipamento apagada ou sobrescrita");
        return;
    default:
        return;
    }
}

void DeviceHistory::saved(const SavedRun& run)
{
    if (!m_key || m_ctx.history == nullptr)
        return;
    const std::optional<LastSaved> moved = movedMark(m_base, run);
    if (!moved)
        return;
    m_ctx.history->setValue(*m_key, formatLastSaved(*moved));
    m_base = {MemoryBase::Kind::Verified, *moved};
}

} // namespace logexport
