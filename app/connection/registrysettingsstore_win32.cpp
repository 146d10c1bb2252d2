#include "connection/registrysettingsstore.h"

#include "win32/widetext.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

// The stored characters up to the first NUL: a value written by hand need
// not end with one, and may end with several.
std::wstring textOf(const std::vector<BYTE>& data)
{
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

std::wstring expanded(const std::wstring& text)
{
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0)
        return text;
    std::wstring out(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), out.data(), needed);
    if (written == 0 || written > needed)
        return text;
    out.resize(written - 1);
    return out;
}

template <class Number> std::optional<std::string> decimalOf(const std::vector<BYTE>& data)
{
    Number n = 0;
    if (data.size() < sizeof n)
        return std::nullopt;
    std::memcpy(&n, data.data(), sizeof n);
    return std::to_string(n);
}

} // namespace

RegistrySettingsStore::RegistrySettingsStore(const std::string& applicationName,
                                             const std::string& group)
    : m_keyPath(L"Software\\VB and VBA Program Settings\\" + win32::widen(applicationName) + L"\\" +
                win32::widen(group))
{
}

std::optional<std::string> RegistrySettingsStore::value(const std::string& key) const
{
    const std::wstring name = win32::widen(key);
    HKEY hkey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, KEY_QUERY_VALUE, &hkey) !=
        ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::vector<BYTE> data;
    LSTATUS status = RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &size);
    // A value may grow between the two calls; ask again until it fits.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.resize(size);
        status = RegQueryValueExW(hkey, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            break;
        }
    }
    RegCloseKey(hkey);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    switch (type) {
    case REG_SZ:
        return win32::narrow(textOf(data));
    case REG_EXPAND_SZ:
        return win32::narrow(expanded(textOf(data)));
    case REG_DWORD:
        return decimalOf<DWORD>(data);
    case REG_QWORD:
        return decimalOf<unsigned long long>(data);
    default:
        return std::nullopt;
    }
}

void RegistrySettingsStore::setValue(const std::string& key, const std::string& text)
{
    HKEY hkey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER,
                        m_keyPath.c_str(),
                        0,
                        nullptr,
                        REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE,
                        nullptr,
                        &hkey,
                        nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring wide = win32::widen(text);
    // With its terminating NUL, as programs that read the value expect.
    const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(hkey,
                   win32::widen(key).c_str(),
                   0,
                   REG_SZ,
                   reinterpret_cast<const BYTE*>(wide.c_str()),
                   bytes);
    RegCloseKey(hkey);
}
