// Each device's memory at work: looked up and checked against the device
// when a connect has found it, shown in the window as the records a click
// fetches, and moved when a download has saved records to a file. One per
// window; a caller without a window drives it the same way and reads
// lastCheck().
#pragma once

#include "core/controllercontext.h"
#include "logexport/lastsaved.h"

#include <optional>
#include <string>

namespace logexport {

struct HistoryCheck {
    enum class Outcome {
        // No serial number read at this connect, no data-log option, a
        // pointer that names no record (0 is an empty log), or no store.
        NotChecked,
        NoMemory,
        Matched,
        // The record the memory names holds another "Data" or "Hora": the
        // device's memory was erased or written over, or this is another
        // device with the same number.
        Mismatch,
        ReadFailed,
    };
    Outcome outcome = Outcome::NotChecked;
    LastSaved mark;     // what was remembered: Matched, Mismatch, ReadFailed
    int pointer = 0;    // the device's last record written, at connect
    int newRecords = 0; // Matched: the records after the mark up to the pointer
    int firstNew = 0;   // Matched with new records: the first of them
    bool operator==(const HistoryCheck&) const = default;
};

class DeviceHistory {
public:
    // The memory lives in ctx.history; none there, and nothing is remembered.
    explicit DeviceHistory(ControllerContext ctx);

    // Run by a connect that has switched the log controls on; `identified`
    // when it read the serial number itself. Reads the remembered record
    // again (one select, one read, no yield) and tells the window what a
    // click now fetches. Never throws: the connect has already succeeded.
    void connected(bool identified);
    const HistoryCheck& lastCheck() const { return m_check; }

    // A download saved `run` to a file: the memory moves as movedMark says.
    void saved(const SavedRun& run);

private:
    HistoryCheck check(bool identified);
    HistoryCheck readAgain(const LastSaved& mark, int pointer);
    void show(const HistoryCheck& c);

    ControllerContext m_ctx;
    // The device this connect found, while the memory may be moved.
    std::optional<std::string> m_key;
    MemoryBase m_base;
    HistoryCheck m_check;
};

} // namespace logexport
