// logqvr-report FILE.mdb... [-o OUT.html | --pasta DIR] [--csv] [--abrir]
#include "commandline.h"
#include "open.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    const std::vector<std::string> args = commandArguments(argc, argv);
    std::string error;
    const std::optional<ReportCommand> command = parseReportCommand(args, error);
    if (!command) {
        writeText(stderr, "logqvr-report: " + error + "\n" + kReportUsage);
        return 2;
    }
    std::string out;
    std::string err;
    const int code = runReportCommand(*command, out, err, openInBrowser);
    writeText(stdout, out);
    writeText(stderr, err);
    return code;
}
