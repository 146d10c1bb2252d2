#include "logexport/lastsaved.h"

#include "logexport/datalogrecord.h"
#include "logexport/datalogwalk.h"
#include "logexport/fieldformat.h"

#include <string_view>
#include <utility>

namespace logexport {

namespace {

// A number of one or more decimal digits and nothing else.
std::optional<int> digits(std::string_view text, int max)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v <= max ? std::optional<int>(v) : std::nullopt;
}

// "aa?bb?cc" with two-digit fields, written back by `format` exactly as read.
bool roundTrips(const std::string& text, char separator, std::string (*format)(int, int, int))
{
    if (text.size() != 8 || text[2] != separator || text[5] != separator)
        return false;
    const auto a = digits(std::string_view(text).substr(0, 2), 99);
    const auto b = digits(std::string_view(text).substr(3, 2), 99);
    const auto c = digits(std::string_view(text).substr(6, 2), 99);
    return a && b && c && format(*a, *b, *c) == text;
}

struct Run {
    const SavedRun& run;
    bool holds(int n) const
    {
        return stepsForward(run.first, n) < static_cast<int>(run.stamps.size());
    }
    const RecordStamp& stampOf(int n) const { return run.stamps[stepsForward(run.first, n)]; }
};

// From the record after `mark`, as far as the run goes without passing the pointer.
std::optional<int> endAfter(const Run& r, int mark)
{
    const int pointer = r.run.pointer;
    const int start = nextRecord(static_cast<int16_t>(mark));
    if (mark == pointer || !r.holds(start))
        return std::nullopt;
    return stepsForward(start, pointer) <= stepsForward(start, r.run.last()) ? pointer
                                                                             : r.run.last();
}

std::optional<int> endWithoutMark(const Run& r)
{
    if (r.holds(r.run.pointer))
        return r.run.pointer;
    if (r.run.first == nextRecord(static_cast<int16_t>(r.run.pointer)))
        return r.run.last();
    return std::nullopt;
}

} // namespace

bool isRealStamp(const RecordStamp& stamp)
{
    return roundTrips(stamp.data, '/', formatDate) && roundTrips(stamp.hora, ':', formatTime);
}

std::string historyKey(int32_t serie1, int32_t serie2)
{
    return std::to_string(serie1) + "_" + std::to_string(serie2);
}

std::string formatLastSaved(const LastSaved& mark)
{
    return std::to_string(mark.record) + " " + mark.stamp.data + " " + mark.stamp.hora;
}

std::optional<LastSaved> parseLastSaved(const std::string& text)
{
    const std::size_t firstBlank = text.find(' ');
    if (firstBlank == std::string::npos)
        return std::nullopt;
    const auto record = digits(std::string_view(text).substr(0, firstBlank), kLogCapacity);
    const bool leadingZero = firstBlank > 1 && text[0] == '0';
    const std::string rest = text.substr(firstBlank + 1);
    // "dd/mm/yy hh:mm:ss": the blank and the two stamps' own lengths.
    if (!record || leadingZero || rest.size() != 17 || rest[8] != ' ')
        return std::nullopt;
    LastSaved mark{*record, {rest.substr(0, 8), rest.substr(9)}};
    if (!isRealStamp(mark.stamp))
        return std::nullopt;
    return mark;
}

void SavedRun::add(int n, RecordStamp stamp)
{
    if (n < 0 || n > kLogCapacity)
        return;
    if (stamps.empty())
        first = n;
    stamps.push_back(std::move(stamp));
}

int SavedRun::last() const
{
    return (first + static_cast<int>(stamps.size()) - 1) % (kLogCapacity + 1);
}

std::optional<LastSaved> movedMark(const MemoryBase& base, const SavedRun& run)
{
    if (run.stamps.empty() || run.pointer < 1 || run.pointer > kLogCapacity)
        return std::nullopt;
    const Run r{run};
    std::optional<int> end;
    switch (base.kind) {
    case MemoryBase::Kind::None:
        end = endWithoutMark(r);
        break;
    case MemoryBase::Kind::Unverified:
        if (r.holds(base.mark.record) && r.stampOf(base.mark.record) == base.mark.stamp)
            end = endAfter(r, base.mark.record);
        break;
    case MemoryBase::Kind::Verified:
        end = endAfter(r, base.mark.record);
        break;
    }
    if (!end || !isRealStamp(r.stampOf(*end)))
        return std::nullopt;
    return LastSaved{*end, r.stampOf(*end)};
}

} // namespace logexport
