// What logqvr-report was asked to do, and its whole run over the files, apart
// from the system: the arguments in UTF-8 in, the text for stdout and stderr
// and the exit code out.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ReportCommand {
    std::vector<std::string> files;
    std::optional<std::string> output; // -o: one file only
    std::optional<std::string> folder; // --pasta
    bool csv = false;
    bool open = false;
};

// Nothing, with the reason in `error`, for arguments that make no command.
std::optional<ReportCommand> parseReportCommand(const std::vector<std::string>& args,
                                                std::string& error);

extern const char* const kReportUsage;

// Every file in turn, even after a failure; 0 when every report was written.
// `open` shows a written report in the browser, false when none opened.
int runReportCommand(const ReportCommand& command,
                     std::string& out,
                     std::string& err,
                     const std::function<bool(const std::string&)>& open);
