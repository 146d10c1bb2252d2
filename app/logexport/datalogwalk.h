// The data-log walk as numbers: record positions 0 to 10380 in a ring,
// fetched from log_inicial up to log_final, which is not fetched.
#pragma once

#include <cstdint>

namespace logexport {

// After 10380 comes 0.
int16_t nextRecord(int16_t n);

// How many records the walk from `first` to `end` fetches: none when they are
// equal; a first record beyond 10380 (a negative "last N" can give one) is
// fetched once and the walk goes on from 0. `end` is 0 to 10380.
int walkLength(int16_t first, int16_t end);

struct RecordRange {
    int first = 0;
    int last = 0;
    bool operator==(const RecordRange&) const = default;
};

// The from-to choice that fetches what a walk stopped at `next` had still to
// read, for `end` as the walk had it. A from-to range starts at 1 at the
// earliest, so a walk stopped at record 0 resumes from 10380, the record read
// just before, which is then fetched twice rather than record 0 not at all.
// The last record is the one before `end` (10380 for an end of 0); walks end
// at 2 or above, or at 0, so it is never 0.
RecordRange restOfWalk(int16_t next, int16_t end);

} // namespace logexport
