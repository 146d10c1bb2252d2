#include "mdbtools.h"
#include "minijson.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mdbcheck {

namespace {

// Text fields may hold commas, pipes and accents; the unit separator never
// appears in our values, and quoting covers the rest anyway.
constexpr char kDelimiter = '\x1f';
constexpr char kQuote = '"';
// Dates in the order the program writes them; no LOG column is a date, but
// the system tables have some.
constexpr const char* kDateFormat = "%d/%m/%y %H:%M:%S";

void closeBoth(int fds[2])
{
    for (int i = 0; i < 2; ++i)
        if (fds[i] >= 0)
            ::close(fds[i]);
}

std::string describeCommand(const std::vector<std::string>& argv)
{
    std::string s;
    for (const std::string& a : argv)
        s += (s.empty() ? "" : " ") + a;
    return s;
}

ProcessResult runChecked(const std::vector<std::string>& argv)
{
    ProcessResult r = runProcess(argv);
    if (r.exitCode != 0)
        throw std::runtime_error(describeCommand(argv) + " failed (status " +
                                 std::to_string(r.exitCode) + "): " + r.err);
    return r;
}

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

std::vector<TextRow> rowsFromTable(const std::vector<std::vector<std::optional<std::string>>>& t)
{
    std::vector<TextRow> rows;
    if (t.empty())
        return rows;
    std::vector<std::string> header;
    for (const auto& h : t.front())
        header.push_back(h.value_or(""));
    for (size_t i = 1; i < t.size(); ++i) {
        if (t[i].size() != header.size())
            throw std::runtime_error("mdb-export line " + std::to_string(i) + " has " +
                                     std::to_string(t[i].size()) + " fields, header " +
                                     std::to_string(header.size()));
        TextRow row;
        for (size_t c = 0; c < header.size(); ++c)
            if (t[i][c])
                row[header[c]] = *t[i][c];
        rows.push_back(std::move(row));
    }
    return rows;
}

json::Value runReader(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {"node", readerScriptPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return json::parse(runChecked(argv).out);
}

} // namespace

ProcessResult runProcess(const std::vector<std::string>& argv)
{
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        closeBoth(out);
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) {
        ::close(out[0]);
        ::close(err[0]);
        throw std::runtime_error("cannot run " + argv[0] + ": " + std::strerror(rc));
    }
    ProcessResult r;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int open = 2;
    char buf[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, size_t(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            ::close(f.fd);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::vector<std::vector<std::optional<std::string>>>
parseDelimited(const std::string& text, char delimiter, char quote)
{
    std::vector<std::vector<std::optional<std::string>>> table;
    std::vector<std::optional<std::string>> line;
    size_t i = 0;
    while (i < text.size()) {
        std::optional<std::string> field;
        if (text[i] == quote) {
            std::string s;
            ++i;
            for (;;) {
                if (i >= text.size())
                    throw std::runtime_error("unterminated quoted field");
                if (text[i] == quote) {
                    if (i + 1 < text.size() && text[i + 1] == quote) {
                        s += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                s += text[i++];
            }
            field = s;
        } else {
            size_t end = i;
            while (end < text.size() && text[end] != delimiter && text[end] != '\n')
                ++end;
            if (end > i)
                field = text.substr(i, end - i);
            i = end;
        }
        line.push_back(field);
        if (i < text.size() && text[i] == delimiter) {
            ++i;
            if (i == text.size())
                line.push_back(std::nullopt);
            continue;
        }
        if (i < text.size() && text[i] != '\n')
            throw std::runtime_error("text after a quoted field");
        ++i;
        table.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty())
        table.push_back(std::move(line));
    return table;
}

std::string mdbVersion(const std::string& path)
{
    return trimmed(runChecked({"mdb-ver", path}).out);
}

std::vector<std::string> mdbTables(const std::string& path)
{
    std::vector<std::string> names;
    std::string out = runChecked({"mdb-tables", "-S", "-1", path}).out;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        std::string n = trimmed(out.substr(start, end - start));
        if (!n.empty())
            names.push_back(n);
        start = end + 1;
    }
    return names;
}

std::vector<SchemaColumn> mdbSchema(const std::string& path, const std::string& table)
{
    std::string out = runChecked({"mdb-schema", "-T", table, path, "access"}).out;
    std::vector<SchemaColumn> columns;
    bool inTable = false;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        std::string line = trimmed(out.substr(start, end - start));
        start = end + 1;
        if (line.rfind("CREATE TABLE", 0) == 0) {
            inTable = true;
            continue;
        }
        if (!inTable || line.empty() || line[0] != '[')
            continue;
        size_t close = line.find(']');
        if (close == std::string::npos)
            continue;
        SchemaColumn c;
        c.name = line.substr(1, close - 1);
        std::string type = trimmed(line.substr(close + 1));
        while (!type.empty() && (type.back() == ',' || type.back() == ' '))
            type.pop_back();
        c.type = trimmed(type);
        columns.push_back(c);
    }
    if (columns.empty())
        throw std::runtime_error("mdb-schema printed no columns for " + table);
    return columns;
}

long mdbCount(const std::string& path, const std::string& table)
{
    std::string out = trimmed(runChecked({"mdb-count", path, table}).out);
    char* end = nullptr;
    long n = std::strtol(out.c_str(), &end, 10);
    if (out.empty() || *end != '\0')
        throw std::runtime_error("mdb-count printed \"" + out + "\"");
    return n;
}

std::vector<TextRow> mdbExport(const std::string& path, const std::string& table)
{
    std::string out = runChecked({"mdb-export",
                                  "-D",
                                  kDateFormat,
                                  "-T",
                                  kDateFormat,
                                  "-d",
                                  std::string(1, kDelimiter),
                                  "-q",
                                  std::string(1, kQuote),
                                  "-b",
                                  "hex",
                                  path,
                                  table})
                          .out;
    return rowsFromTable(parseDelimited(out, kDelimiter, kQuote));
}

std::string readerScriptPath()
{
    if (const char* env = std::getenv("MDBCHECK_READER_SCRIPT"); env != nullptr && *env != '\0')
        return env;
    return MDBCHECK_READER_SCRIPT;
}

ReaderTable mdbReaderTable(const std::string& path, const std::string& table)
{
    json::Value v = runReader({"table", path, table});
    ReaderTable t;
    for (const json::Value& c : v.at("columns").items)
        t.columns.push_back(c.text);
    t.rowCount = std::stol(v.at("rowCount").text);
    for (const json::Value& r : v.at("rows").items) {
        if (r.items.size() != t.columns.size())
            throw std::runtime_error("mdb-reader row with a wrong number of values");
        TextRow row;
        for (size_t i = 0; i < r.items.size(); ++i)
            if (!r.items[i].isNull())
                row[t.columns[i]] = r.items[i].text;
        t.rows.push_back(std::move(row));
    }
    return t;
}

std::vector<TextRow> mdbReaderRows(const std::string& path, const std::string& table)
{
    return mdbReaderTable(path, table).rows;
}

std::vector<std::string> mdbReaderTableNames(const std::string& path)
{
    std::vector<std::string> names;
    json::Value v = runReader({"tables", path});
    for (const json::Value& n : v.at("tables").items)
        names.push_back(n.text);
    return names;
}

} // namespace mdbcheck
