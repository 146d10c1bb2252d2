// The COM ports Windows knows, for the Windows window's "Portas" menu: the
// twin of serialports.h, which reads the same from sysfs on Linux. The
// numbers are the ones the technician types into "Porta COM"; the names are
// the ones the Device Manager shows, so that the adapter just plugged in can
// be told from the others without opening it.
#pragma once

#include "connection/serialports.h"

#include <string>
#include <vector>

// A device node of the Ports class or of the COM port interface, as SetupAPI
// tells it: its "PortName" ("COM4", also "LPT1"), what the Device Manager
// calls it ("USB Serial Port") and its maker ("FTDI").
struct ComPortNode {
    std::string portName;
    std::string description;
    std::string maker;
};

// One entry per COM port, in number order: the device nodes first, then the
// ports of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (`serialcomm`: its data, "COM1")
// that no device node gave, such as a driver's port without one. Entries
// carry the port name as their device and the Device Manager's name as their
// product; a port beyond the window's 255 gets no number.
std::vector<PortEntry> comPortEntries(const std::vector<ComPortNode>& nodes,
                                      const std::vector<std::string>& serialcomm);

// "COM4 - USB Serial Port (FTDI)", as the Device Manager would say it; a
// port without a device node is its name alone.
std::string describeComPort(const PortEntry& entry);

#ifdef _WIN32
// The ports of this machine, read afresh: SetupAPI's present device nodes,
// then SERIALCOMM.
std::vector<PortEntry> listComPorts();
#endif
