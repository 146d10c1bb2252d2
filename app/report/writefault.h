// Why a report file could not be written, told alike on every system: each
// system's side of outputfile.h names its own error codes in a table.
#pragma once

#include <span>
#include <string>

namespace report {

enum class WriteFault { NoPermission, DiskFull, NoFolder };

struct FaultCode {
    unsigned long code; // errno on Linux, GetLastError() on Windows
    WriteFault fault;
};

// Throws ReportError with the reason for `error`: the fault `codes` give it,
// naming the file or its `folder`, or else the system's own `systemText`.
[[noreturn]] void throwWriteFault(std::span<const FaultCode> codes,
                                  unsigned long error,
                                  const std::string& path,
                                  const std::string& folder,
                                  const std::string& systemText);

} // namespace report
