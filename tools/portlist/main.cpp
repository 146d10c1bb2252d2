// logqvr-ports: prints the serial ports present, one line each, with the
// port number the program takes for them; the same list as the "Portas" menu.
#include "connection/dynamickestrune.h"
#include "connection/serialports.h"

#include <cstdio>

int main()
{
    DynamicKestrune lib;
    const std::vector<PortEntry> entries =
        listPorts(scanSerialDevices(sysfsRoot()), libraryMapping(lib));
    if (entries.empty()) {
        std::printf("Nenhuma porta serial encontrada.\n");
        return 0;
    }
    std::printf("Portas seriais:\n");
    for (const PortEntry& entry : entries)
        std::printf("  %s\n", describePort(entry).c_str());
    return 0;
}
