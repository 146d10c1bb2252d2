// What the report says of a log besides its rows: the header's counts and
// dates, the counts by reason or by firmware, and the summary of each
// numeric column. Charts and summaries use only the records that have a real
// date and time and a good CRC; the others are counted, never placed at a
// made-up time.
#pragma once

#include "logexport/datalogrecord.h"
#include "report/filestamp.h"
#include "report/logtable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace report {

using logexport::kReasonCount;
using logexport::kReasonNames;

struct RowFacts {
    std::optional<int64_t> time; // logTime of "Data" and "Hora"
    bool crcOk = false;
    bool erased = false; // "Data" 255/255/255: a memory cell never written
    uint8_t reasons = 0; // bit i: kReasonNames[i] is in "Motivo Gravação"
    bool charted() const { return time && crcOk; }
};

struct ColumnSummary {
    int column = 0; // in LogTable::columns
    int count = 0;
    double min = 0, max = 0, mean = 0;
    int minRow = 0, maxRow = 0; // the first row holding each
};

struct FirmwareCount {
    std::string version; // "Versao Firmware"
    std::string release; // "Subversao"
    int count = 0;
};

struct ReportModel {
    std::string fileName;
    std::optional<FileStamp> stamp;
    std::vector<RowFacts> rows;
    int badCrc = 0;
    int erased = 0;
    int undated = 0;   // rows without a date and time
    int uncharted = 0; // rows without a date and time or with a bad CRC
    int backwards = 0; // charted rows earlier than the charted row before them
    std::optional<int64_t> first, last;
    std::array<int, kReasonCount> reasons{};
    std::vector<ColumnSummary> summary;
    std::vector<FirmwareCount> firmware; // reset log; in order of first appearance
};

ReportModel buildModel(const std::string& path, const LogTable& table);

// Numeric columns that are quantities: all but the record's CRC and its check.
bool isQuantity(const LogColumn& column);

// A cell as a number, when it holds one.
std::optional<double> number(const mdb::Value& v);
// A cell's text: empty for null, numbers in their shortest exact form.
std::string text(const mdb::Value& v);

} // namespace report
