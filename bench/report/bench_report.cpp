// The report of a whole-memory data log (10380 records, the simulator's
// records written by the download's own row writer): the time to read the
// .mdb and write the page, the page's size, and the time to write the CSV.
//   bench_report [RUNS] [--keep DIR]   DIR keeps the .mdb and its report
#include "logexport/datalogrecord.h"
#include "logexport/exportdatabase.h"
#include "mdb/dao.h"
#include "report/csvwriter.h"
#include "report/logtable.h"
#include "report/reportfile.h"
#include "simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

std::string makeLog(const fs::path& folder)
{
    const fs::path file = folder / "LOG_QVR_END1_2024_03_05_14_05_09.mdb";
    fs::copy_file(fs::path(BENCH_TEMPLATE_DIR) / "LOG_QVR.mdb",
                  file,
                  fs::copy_options::overwrite_existing);
    logexport::ExportDatabase db(mdb::dbEngine());
    db.open(file.string());
    db.clearTable();
    for (int n = 0; n < logexport::kLogCapacity; ++n) {
        const auto words = sim::makeRecord(n);
        db.addRow([&](mdb::Recordset& rs) {
            logexport::writeDataLogRow(rs, logexport::decodeDataLog(words));
        });
    }
    db.close();
    return file.string();
}

template <typename F> double medianSeconds(int runs, F&& f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Steady::now();
        f();
        times.push_back(std::chrono::duration<double>(Steady::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    int runs = 9;
    fs::path folder = fs::temp_directory_path() / "bench_report";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep" && i + 1 < argc)
            folder = argv[++i];
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    fs::create_directories(folder);
    const std::string log = makeLog(folder);
    const std::string html = report::besideLog(log, ".html");
    const double page = medianSeconds(runs, [&] { report::writeReport(log, html); });
    const report::LogTable table = report::readLogTable(log);
    std::size_t csvBytes = 0;
    const double csv = medianSeconds(runs, [&] { csvBytes = report::csvText(table).size(); });
    std::printf("records                 %zu\n", table.rows.size());
    std::printf("read .mdb + write page  %.3f s (median of %d; target 0.3 s)\n", page, runs);
    std::printf("page size               %.2f MB (target 5 MB)\n", fs::file_size(html) / 1e6);
    std::printf("CSV of all rows         %.3f s, %.2f MB\n", csv, csvBytes / 1e6);
    std::printf("report                  %s\n", html.c_str());
    return 0;
}
