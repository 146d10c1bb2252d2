// Builds a Jet 4 database from code: the four system tables the Jet engine
// itself creates (catalog, permissions, queries, relationships) plus one user
// table "LOG" with the given columns, no index, no rows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mdbgen {

enum class ColumnKind { Text, Integer, Long, Double };

struct LogColumn {
    std::string name; // UTF-8
    ColumnKind kind;
};

struct TemplateOptions {
    double createdAt = 0;     // OLE date of the LOG catalog row; 0 = now
    bool compressText = true; // allow unicode compression on text columns
    uint16_t textChars = 50;  // Text(50)
};

// Column lists of the two templates, in table order.
std::span<const LogColumn> dataLogColumns();
std::span<const LogColumn> resetLogColumns();

std::vector<uint8_t> buildTemplate(std::span<const LogColumn> columns,
                                   const TemplateOptions& options = {});

// The OLE Automation date (days since 1899-12-30) of a Unix time.
double oleDateFromUnix(double seconds);

} // namespace mdbgen
