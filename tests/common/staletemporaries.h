// The leftovers a killed copy may leave in an output folder, planted by the
// copy tests of both systems, and which of them the next copy must leave
// alone. Cases that only one system can make (a link, a file held open) that
// system's test adds.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace staletemp {

enum class Kind { File, Folder, Link, OpenFile };

struct Planted {
    std::string name;
    Kind kind;
    int ageMinutes;
    bool stays;
};

// `gone` is the id of a process that has exited, `alive` of one still running.
inline std::vector<Planted> plantedTemporaries(const std::string& gone, const std::string& alive)
{
    return {
        {".LOG_QVR_END1_2024_03_05_14_05_09.mdb." + gone + ".0.tmp", Kind::File, 60, false},
        {".LOG_QVR_END1_2024_03_05_14_06_00.mdb." + alive + ".3.tmp", Kind::File, 60, true},
        // Fresh: perhaps written on another machine that shares the folder.
        {".LOG_QVR_END1_2024_03_05_14_07_00.mdb." + gone + ".1.tmp", Kind::File, 0, true},
        // Names a copy never makes.
        {"LOG_QVR_END1.mdb." + gone + ".0.tmp", Kind::File, 60, true},
        {".LOG_QVR_END1.mdb." + gone + ".0.tmp.old", Kind::File, 60, true},
        {".LOG_QVR_END1.mdb.0" + gone + ".0.tmp", Kind::File, 60, true},
        {"." + gone + ".0.tmp", Kind::File, 60, true},
        {".dir.mdb." + gone + ".0.tmp", Kind::Folder, 60, true},
    };
}

// The folder's names after a copy to `target`, sorted.
inline std::vector<std::string> survivors(const std::vector<Planted>& planted,
                                          const std::string& target)
{
    std::vector<std::string> names{target};
    for (const Planted& p : planted)
        if (p.stays)
            names.push_back(p.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace staletemp
