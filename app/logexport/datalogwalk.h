// The data-log walk as numbers: record positions 0 to 10380 in a ring,
// fetched from log_inicial up to log_final, which is not fetched.
#pragma once

#include <cstdint>

class FormView;

namespace logexport {

// After 10380 comes 0.
int16_t nextRecord(int16_t n);

// How many steps forward record `to` lies from record `from` (both 0 to
// 10380): 0 when they are the same.
int stepsForward(int from, int to);

// How many records the walk from `first` to `end` fetches: none when they are
// equal; a first record beyond 10380 (a negative "last N" can give one) is
// fetched once and the walk goes on from 0. `end` is 0 to 10380.
int walkLength(int16_t first, int16_t end);

struct RecordRange {
    int first = 0;
    int last = 0;
    bool operator==(const RecordRange&) const = default;
};

// What a walk stopped at `next` had still to read, for `end` as the walk had
// it: from `next` (which may be 0) to the record before `end` (10380 for an
// end of 0); walks end at 2 or above, or at 0, so that is never 0.
RecordRange restOfWalk(int16_t next, int16_t end);

// Makes the window's range choice fetch `records`, so that one click on
// "Gerar Arquivo de LOG" reads them: from-to, unless the first is record 0,
// which "De" cannot hold. Then, when the last is the pointer, the last
// pointer + 1 records are exactly 0 up to it; otherwise the range starts at
// 10380, the record before 0, fetched twice rather than 0 not at all.
void chooseRecords(FormView& view, const RecordRange& records, int pointer);

} // namespace logexport
