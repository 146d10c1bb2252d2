// Runs the Linux readers of .mdb files as child processes (mdbtools, and the
// npm package mdb-reader under node) and returns what they saw, so tests can
// look at our files the way other programs do. Tool failures raise
// std::runtime_error carrying the tool's own message.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mdbcheck {

struct ProcessResult {
    int exitCode = -1; // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up in PATH) with the arguments as given: no shell.
ProcessResult runProcess(const std::vector<std::string>& argv);

// One exported row: column name to its text. Null columns are absent.
using TextRow = std::map<std::string, std::string>;

struct SchemaColumn {
    std::string name;
    std::string type; // as mdb-schema prints it: "Text (50)", "Long Integer", "Double"
    bool operator==(const SchemaColumn&) const = default;
};

std::string mdbVersion(const std::string& path);             // "JET4"
std::vector<std::string> mdbTables(const std::string& path); // system tables too
std::vector<SchemaColumn> mdbSchema(const std::string& path, const std::string& table);
long mdbCount(const std::string& path, const std::string& table); // the TDEF row count
std::vector<TextRow> mdbExport(const std::string& path, const std::string& table);

struct ReaderTable {
    std::vector<std::string> columns;
    long rowCount = 0; // as the table definition states it
    std::vector<TextRow> rows;
};

// mdb-reader's view. Numbers come as JavaScript prints them ("6553.5", "-1").
ReaderTable mdbReaderTable(const std::string& path, const std::string& table);
std::vector<TextRow> mdbReaderRows(const std::string& path, const std::string& table);
std::vector<std::string> mdbReaderTableNames(const std::string& path); // system tables too

// Where the node script lives (MDBCHECK_READER_SCRIPT overrides the built-in path).
std::string readerScriptPath();

// Delimited text with quoted fields; a quoted field is text (even when
// empty), an unquoted empty field is null. Exposed for tests.
std::vector<std::vector<std::optional<std::string>>>
parseDelimited(const std::string& text, char delimiter, char quote);

} // namespace mdbcheck
