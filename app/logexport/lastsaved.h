// What the program remembers of each device between visits: the last
// data-log record saved to a file with no gap behind it, by the device's
// serial number, and the rule that moves it after a download. Plain values
// and pure functions; DeviceHistory keeps them in the settings store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace logexport {

// A record's "Data" and "Hora" as the export writes them: what tells that the
// device still holds the record the memory names.
struct RecordStamp {
    std::string data;
    std::string hora;
    bool operator==(const RecordStamp&) const = default;
};

// Only a real date and time ("dd/mm/yy", "hh:mm:ss") can be recognised
// again; an erased record's "255/255/255" is the same on every erased record.
bool isRealStamp(const RecordStamp& stamp);

struct LastSaved {
    int record = 0; // 0 to 10380
    RecordStamp stamp;
    bool operator==(const LastSaved&) const = default;
};

// The key of a device: both parts of its serial number, each in full and
// apart ("1234_5"), since the window's "000"+"000" text gives 1234/5 and
// 123/4005 the same digits.
std::string historyKey(int32_t serie1, int32_t serie2);

// The value: the record number, "Data" and "Hora", one blank between each
// ("10370 05/03/24 14:05:09").
std::string formatLastSaved(const LastSaved& mark);
// Empty for any text formatLastSaved cannot have written: a damaged value is
// as good as none.
std::optional<LastSaved> parseLastSaved(const std::string& text);

// What a download saved to one file, whole or partial: `stamps[i]` belongs to
// the i-th record of its walk, `first` onwards (after 10380 comes 0), and
// `pointer` is the device's last record written as the download took it.
struct SavedRun {
    int first = 0;
    int pointer = 0;
    std::vector<RecordStamp> stamps;

    // Record n, the one after the last added. A number beyond 10380 (a
    // fractional "last N" can start a walk there) is no place in the ring
    // and is left out; the walk goes on from 0.
    void add(int n, RecordStamp stamp);
    // The record of the last stamp; only for a run that holds one.
    int last() const;
};

// How far the memory is known to be good when a download ends.
struct MemoryBase {
    enum class Kind {
        // Nothing remembered, or a memory the device no longer matches.
        None,
        // Read again at connect (or moved since) and matching the device.
        Verified,
        // Remembered but not read again: the connect's read failed.
        Unverified,
    };
    Kind kind = Kind::None;
    LastSaved mark;
};

// Where the memory goes after a download saved `run`, or empty when it stays.
//  - Verified mark M: to the last record E such that every record from the
//    one after M up to E was saved and E is not past the pointer (a
//    whole-memory file also holds older records beyond the pointer). A run
//    that does not hold the record after M leaves a gap: no move. A mark at
//    the pointer has nothing after it to move to.
//  - Unverified mark M: as verified when the run holds M itself with the
//    remembered stamp; otherwise no move, as the device may have more new
//    records than the run holds.
//  - None: the first download that reaches the pointer gives the pointer.
//    One that starts at the record after the pointer (the oldest the device
//    holds: a whole memory with the pointer at 10380) gives its last record.
// The new mark must carry a real stamp; a run with none there moves nothing.
std::optional<LastSaved> movedMark(const MemoryBase& base, const SavedRun& run);

} // namespace logexport
