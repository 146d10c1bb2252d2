#include "core/settingsstore.h"

#include <filesystem>

std::string settingsNameOf(const std::string& executablePath)
{
    // stem() drops only the last extension, and keeps a name that is all
    // extension (".qvr") whole.
    return std::filesystem::path(executablePath).stem().string();
}

std::optional<std::string> MemorySettingsStore::value(const std::string& key) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

void MemorySettingsStore::setValue(const std::string& key, const std::string& text)
{
    m_values[key] = text;
    m_order.push_back(key);
}
