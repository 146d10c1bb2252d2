#include "connection/comports.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>

namespace {

constexpr long kLastPort = 255; // the window takes 1 to 255

// 4 for "COM4" (any case, as drivers write it); none for LPT1 and the like.
std::optional<long> comNumber(const std::string& name)
{
    if (name.size() < 4 || std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M')
        return std::nullopt;
    const std::string digits = name.substr(3);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9)
        return std::nullopt;
    const long number = std::strtol(digits.c_str(), nullptr, 10);
    return number > 0 ? std::optional<long>(number) : std::nullopt;
}

PortEntry entryFor(long number, const std::string& description, const std::string& maker)
{
    PortEntry entry;
    if (number <= kLastPort)
        entry.port = static_cast<int32_t>(number);
    entry.device = "COM" + std::to_string(number);
    entry.product = description;
    entry.maker = maker;
    return entry;
}

} // namespace

std::vector<PortEntry> comPortEntries(const std::vector<ComPortNode>& nodes,
                                      const std::vector<std::string>& serialcomm)
{
    std::map<long, PortEntry> byNumber;
    for (const ComPortNode& node : nodes) {
        if (const auto number = comNumber(node.portName))
            byNumber.try_emplace(*number, entryFor(*number, node.description, node.maker));
    }
    for (const std::string& name : serialcomm) {
        if (const auto number = comNumber(name))
            byNumber.try_emplace(*number, entryFor(*number, {}, {}));
    }
    std::vector<PortEntry> entries;
    for (auto& [number, entry] : byNumber)
        entries.push_back(std::move(entry));
    return entries;
}

std::string describeComPort(const PortEntry& entry)
{
    std::string text = entry.device;
    if (entry.product.empty())
        return text;
    text += " - " + entry.product;
    // Windows' own ports name their maker "(Standard port types)", already
    // in parentheses.
    if (!entry.maker.empty())
        text += entry.maker.front() == '(' ? " " + entry.maker : " (" + entry.maker + ")";
    return text;
}
