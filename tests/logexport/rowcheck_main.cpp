// logexport_rowcheck: table "LOG" of an .mdb file, as mdb-export reads it,
// against what qvr-sim serves, for files another build wrote (the Windows
// downloads under Wine).
//   logexport_rowcheck data FILE RANGES [--erased N,...] [--bad-crc N,...]
//                           [--pointer P --write N]
//       RANGES: FIRST-LAST[,FIRST-LAST...], the record numbers in row order;
//       --erased, --bad-crc and --pointer as qvr-sim was started with, and
//       --write N when N records were written since through its control pipe
//   logexport_rowcheck reset FILE
//       the reset log qvr-sim serves by default, its blank slots left out
// Exit status 0 when every row matches, 1 otherwise, 2 on a usage error.
#include "expectedrows.h"
#include "simulator.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool parseNumbers(const std::string& text, char separator, std::vector<int>* out)
{
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, separator)) {
        char* end = nullptr;
        const long n = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || n < 0 || n > sim::kLogCapacity)
            return false;
        out->push_back(static_cast<int>(n));
    }
    return !out->empty();
}

// The records FIRST-LAST,FIRST-LAST... name, in order.
bool parseRanges(const std::string& text, std::vector<int>* records)
{
    std::stringstream in(text);
    std::string range;
    while (std::getline(in, range, ',')) {
        std::vector<int> ends;
        if (!parseNumbers(range, '-', &ends) || ends.size() != 2 || ends[0] > ends[1])
            return false;
        for (int n = ends[0]; n <= ends[1]; ++n)
            records->push_back(n);
    }
    return !records->empty();
}

bool expectedData(int argc, char** argv, std::vector<ExpectedRow>* rows)
{
    std::vector<int> records, erased, badCrc, pointer, written;
    if (argc < 4 || !parseRanges(argv[3], &records))
        return false;
    for (int i = 4; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return false;
        if (option == "--erased" && parseNumbers(argv[i + 1], ',', &erased))
            continue;
        if (option == "--bad-crc" && parseNumbers(argv[i + 1], ',', &badCrc))
            continue;
        if (option == "--pointer" && parseNumbers(argv[i + 1], ',', &pointer) &&
            pointer.size() == 1)
            continue;
        if (option == "--write" && parseNumbers(argv[i + 1], ',', &written) && written.size() == 1)
            continue;
        return false;
    }
    // As qvr-sim sets its device up from the same options.
    sim::DeviceState device;
    device.fillDataLog(static_cast<uint16_t>(pointer.empty() ? 0 : pointer[0]));
    for (int n : erased)
        device.records[static_cast<std::size_t>(n)] = sim::erasedRecord();
    for (int n : badCrc)
        device.records[static_cast<std::size_t>(n)][40] ^= 0x0101;
    device.writeRecords(written.empty() ? 0 : written[0]);
    for (int n : records)
        rows->push_back(expectedDataRow(device.records[static_cast<std::size_t>(n)]));
    return true;
}

std::vector<ExpectedRow> expectedReset()
{
    sim::DeviceState device;
    device.fillResetLog(1);
    std::vector<ExpectedRow> rows;
    for (int k = 0; k < sim::kResetSlots; ++k) {
        if (!sim::isDefaultBlankResetSlot(k))
            rows.push_back(expectedResetRow(device.resetLog[static_cast<std::size_t>(k)]));
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string kind = argc > 2 ? argv[1] : "";
    std::vector<ExpectedRow> expected;
    if (kind == "reset" && argc == 3) {
        expected = expectedReset();
    } else if (kind != "data" || !expectedData(argc, argv, &expected)) {
        std::fprintf(stderr,
                     "usage: logexport_rowcheck data FILE FIRST-LAST[,FIRST-LAST...] "
                     "[--erased N,...] [--bad-crc N,...] [--pointer P --write N]\n"
                     "       logexport_rowcheck reset FILE\n");
        return 2;
    }
    const std::string file = argv[2];
    std::vector<Row> rows;
    try {
        rows = readLogTable(file);
    } catch (const std::exception& e) {
        std::printf("%s: %s\n", file.c_str(), e.what());
        return 1;
    }
    if (rows.size() != expected.size()) {
        std::printf("%s: %zu rows, expected %zu\n", file.c_str(), rows.size(), expected.size());
        return 1;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string differences = rowDifferences(rows[i], expected[i]);
        if (!differences.empty()) {
            std::printf("%s: row %zu differs:\n%s", file.c_str(), i, differences.c_str());
            return 1;
        }
    }
    std::printf("%s: %zu rows as expected\n", file.c_str(), rows.size());
    return 0;
}
