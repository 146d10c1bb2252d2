// Structural checker for Jet 4 .mdb files: the consistency rules that Access
// relies on and that Linux readers never look at (global usage map, page
// ownership, free-space arithmetic, catalog indexes, permission rows).
#pragma once

#include "jetimage.h"

#include <string>
#include <vector>

namespace mdbcheck {

struct Finding {
    std::string check; // short rule name, e.g. "row-count", "global-map"
    std::string text;
    // Non-fatal findings are those a crash between two writes may leave and
    // that lose nothing: a row count one off, a page allocated but unused.
    bool fatal = true;
};

// Rules where files made by Access legitimately differ from what a fresh
// file written by our engine must look like.
struct CheckOptions {
    // The 512-byte block at 0xE00 of page 0 as a fresh Jet file writes it;
    // files Access has used carry other bytes there.
    bool freshHeaderTail = true;
    // No page is left unreferenced (Access files keep freed pages around).
    bool noOrphanPages = true;
    // Pages past the end of the file are marked free in the global map.
    bool pagesPastEndFree = true;
    // Every user table has at least one MSysACEs row.
    bool aceRowsForUserTables = true;
    // Every index key can be rebuilt by the checker (letters, digits, space
    // in text keys); Access-made user tables use other characters.
    bool verifiableIndexKeys = true;

    // The rules that files made and used by Access meet.
    static CheckOptions accessMade()
    {
        CheckOptions o;
        o.freshHeaderTail = false;
        o.noOrphanPages = false;
        o.verifiableIndexKeys = false;
        return o;
    }
};

std::vector<Finding> checkImage(const Image& image, const CheckOptions& options = {});
std::vector<Finding> checkFile(const std::string& path, const CheckOptions& options = {});

std::string describe(const Finding& f);
bool hasFinding(const std::vector<Finding>& findings, const std::string& check);
bool anyFatal(const std::vector<Finding>& findings);

} // namespace mdbcheck
