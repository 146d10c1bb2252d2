#include "report/filestamp.h"

#include "logexport/exportdatabase.h"

#include <cctype>

namespace report {

namespace {

bool allDigits(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool consume(std::string_view& s, std::string_view prefix)
{
    if (s.substr(0, prefix.size()) != prefix)
        return false;
    s.remove_prefix(prefix.size());
    return true;
}

} // namespace

std::string baseName(std::string_view path)
{
    const std::size_t at = path.find_last_of("/\\");
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::optional<FileStamp> fileStamp(std::string_view path)
{
    const std::string name = baseName(path);
    std::string_view s = name;
    if (!consume(s, logexport::kResetMarker) && !consume(s, logexport::kDataMarker))
        return std::nullopt;
    FileStamp stamp;
    if (s.size() > 4 && s.substr(s.size() - 4) == ".mdb")
        s.remove_suffix(4);
    else
        return std::nullopt;
    const std::string_view partial = logexport::kPartialSuffix;
    if (s.size() > partial.size() && s.substr(s.size() - partial.size()) == partial) {
        stamp.partial = true;
        s.remove_suffix(partial.size());
    }
    // address, then yyyy mm dd hh mm ss, each after a "_"; the address is
    // the window's text as typed and may hold a "_" itself.
    static constexpr std::size_t kWidths[] = {4, 2, 2, 2, 2, 2};
    std::string_view parts[6];
    for (int i = 5; i >= 0; --i) {
        const std::size_t w = kWidths[i];
        if (s.size() < w + 1 || s[s.size() - w - 1] != '_' || !allDigits(s.substr(s.size() - w)))
            return std::nullopt;
        parts[i] = s.substr(s.size() - w);
        s.remove_suffix(w + 1);
    }
    if (s.empty())
        return std::nullopt;
    stamp.address = std::string(s);
    stamp.date = std::string(parts[2]) + "/" + std::string(parts[1]) + "/" + std::string(parts[0]);
    stamp.time = std::string(parts[3]) + ":" + std::string(parts[4]) + ":" + std::string(parts[5]);
    return stamp;
}

} // namespace report
