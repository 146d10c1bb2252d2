#include "mdb/copytemp.h"

#include <cstdint>

namespace mdb::copytemp {

namespace {

// A number as temporaryName() prints a pid or a counter: digits, no leading
// zero, at most 2^32 - 1.
std::optional<uint32_t> printedNumber(std::string_view text)
{
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (n > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(n);
}

} // namespace

std::string temporaryName(const std::string& base, uint32_t pid, unsigned counter)
{
    return "." + base + "." + std::to_string(pid) + "." + std::to_string(counter) + ".tmp";
}

std::optional<uint32_t> temporaryWriter(std::string_view name)
{
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() <= kSuffix.size() || name[0] != '.' || !name.ends_with(kSuffix))
        return std::nullopt;
    name.remove_suffix(kSuffix.size());
    auto counterDot = name.rfind('.');
    if (counterDot == std::string_view::npos || !printedNumber(name.substr(counterDot + 1)))
        return std::nullopt;
    name = name.substr(0, counterDot);
    auto pidDot = name.rfind('.');
    if (pidDot == std::string_view::npos || pidDot < 2)
        return std::nullopt; // no base name before the pid
    auto pid = printedNumber(name.substr(pidDot + 1));
    if (!pid || *pid == 0 || *pid > INT32_MAX)
        return std::nullopt;
    return pid;
}

} // namespace mdb::copytemp
