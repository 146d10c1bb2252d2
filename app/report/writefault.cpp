#include "report/writefault.h"

#include "report/logtable.h"

namespace report {

void throwWriteFault(std::span<const FaultCode> codes,
                     unsigned long error,
                     const std::string& path,
                     const std::string& folder,
                     const std::string& systemText)
{
    for (const FaultCode& known : codes) {
        if (known.code != error)
            continue;
        switch (known.fault) {
        case WriteFault::NoPermission:
            throw ReportError("sem permissão para gravar em \"" + folder + "\".");
        case WriteFault::DiskFull:
            throw ReportError("não há espaço no disco para \"" + path + "\".");
        case WriteFault::NoFolder:
            throw ReportError("a pasta \"" + folder + "\" não existe.");
        }
    }
    throw ReportError("não foi possível gravar \"" + path + "\" (" + systemText + ").");
}

} // namespace report
