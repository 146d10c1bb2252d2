// logqvr-report FILE.mdb... [-o OUT.html | --pasta DIR] [--csv] [--abrir]
#include "commandline.h"
#include "core/consoletext.h"
#include "open.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    const std::vector<std::string> args = commandArguments(argc, argv);
    // Alone, as every GNU-style command takes them (the manual page is made
    // from them).
    if (args == std::vector<std::string>{"--help"}) {
        writeText(stdout, kReportUsage);
        return 0;
    }
    if (args == std::vector<std::string>{"--version"}) {
        writeText(stdout,
                  "logqvr-report (LOG_QVR) " LOGQVR_VERSION "\n"
                  "Copyright (C) 2026 The LOG_QVR authors. Todos os direitos reservados.\n");
        return 0;
    }
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
