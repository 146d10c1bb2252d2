#include "connection/comports.h"

#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <setupapi.h>

namespace {

// The Ports class, where the Device Manager lists "Portas (COM e LPT)", and
// the COM port interface, which modems and some adapters register instead.
constexpr GUID kPortsClass = {0x4D36E978,
                              0xE325,
                              0x11CE,
                              {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr GUID kComPortInterface = {0x86E0D1E0,
                                    0x8089,
                                    0x11D0,
                                    {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

std::string registryText(HKEY key, const wchar_t* name)
{
    wchar_t text[256] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return win32::narrow(text);
}

std::string deviceProperty(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property)
{
    wchar_t text[256] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set,
                                           &info,
                                           property,
                                           &type,
                                           reinterpret_cast<BYTE*>(text),
                                           sizeof text - sizeof(wchar_t),
                                           nullptr) ||
        type != REG_SZ)
        return {};
    return win32::narrow(text);
}

void readNodes(const GUID& guid, DWORD flags, std::vector<ComPortNode>& nodes)
{
    const HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | flags);
    if (set == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        const HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        ComPortNode node{registryText(key, L"PortName"),
                         deviceProperty(set, info, SPDRP_DEVICEDESC),
                         deviceProperty(set, info, SPDRP_MFG)};
        RegCloseKey(key);
        if (node.description.empty())
            node.description = deviceProperty(set, info, SPDRP_FRIENDLYNAME);
        nodes.push_back(node);
    }
    SetupDiDestroyDeviceInfoList(set);
}

// The data of every value: the port names the serial drivers put there.
std::vector<std::string> serialcommPorts()
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t value[256] = {};
        DWORD valueLength = 255;
        wchar_t data[64] = {};
        DWORD bytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key,
                                          i,
                                          value,
                                          &valueLength,
                                          nullptr,
                                          &type,
                                          reinterpret_cast<BYTE*>(data),
                                          &bytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && type == REG_SZ)
            names.push_back(win32::narrow(data));
    }
    RegCloseKey(key);
    return names;
}

} // namespace

std::vector<PortEntry> listComPorts()
{
    std::vector<ComPortNode> nodes;
    readNodes(kPortsClass, 0, nodes);
    readNodes(kComPortInterface, DIGCF_DEVICEINTERFACE, nodes);
    return comPortEntries(nodes, serialcommPorts());
}
