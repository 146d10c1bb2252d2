#include "clijson.h"

#include "connection/pollcontroller.h"
#include "report/htmlreport.h"

#include <cstdio>

namespace {

using report::jsonString;

// One object, its fields in the order given; values are JSON already.
class Object {
public:
    Object& field(const char* name, const std::string& json)
    {
        m_text += m_text.size() > 1 ? ",\"" : "\"";
        m_text += name;
        m_text += "\":";
        m_text += json;
        return *this;
    }
    Object& text(const char* name, const std::string& utf8)
    {
        return field(name, jsonString(utf8));
    }
    Object& number(const char* name, long long n) { return field(name, std::to_string(n)); }
    Object& number(const char* name, const std::optional<int>& n)
    {
        return field(name, n ? std::to_string(*n) : "null");
    }
    Object& boolean(const char* name, bool b) { return field(name, b ? "true" : "false"); }
    std::string done() const { return m_text + "}"; }

private:
    std::string m_text = "{";
};

std::string deviceJson(const DeviceInfo& d)
{
    std::string parts = "[";
    parts += std::to_string(d.serial1);
    parts += ',';
    parts += std::to_string(d.serial2);
    parts += ']';
    return Object()
        .text("port", d.port)
        .text("address", d.address)
        .text("firmware", versionText(d.firmware))
        .number("release", d.release)
        .text("serial", threeDigits(d.serial1) + threeDigits(d.serial2))
        .field("serial_parts", parts)
        .boolean("log_option", d.logOption)
        .number("pointer", d.pointer)
        .text("status", d.status)
        .done();
}

std::string fileJson(const WrittenFile& f)
{
    return Object()
        .text("path", f.path)
        .text("kind", f.kind)
        .number("records", f.records)
        .number("bad_crc", f.badCrc)
        .boolean("partial", f.partial)
        .done();
}

std::string rangeJson(const RangeRead& r)
{
    return Object()
        .text("choice", r.choice)
        .number("planned", r.planned)
        .number("first", r.first)
        .number("last", r.last)
        .number("read", r.read)
        .done();
}

std::string markJson(const std::optional<logexport::LastSaved>& mark)
{
    if (!mark)
        return "null";
    return Object()
        .number("record", mark->record)
        .text("data", mark->stamp.data)
        .text("hora", mark->stamp.hora)
        .done();
}

std::string historyJson(const HistoryInfo& h)
{
    return Object()
        .text("check", h.check)
        .field("remembered", markJson(h.remembered))
        .number("new_records", h.newRecords)
        .number("first_new", h.firstNew)
        .number("pointer", h.pointer)
        .field("after", markJson(h.after))
        .done();
}

std::string messageJson(const ToldMessage& m)
{
    return Object()
        .text("level", m.icon == PromptIcon::Warning ? "warning" : "information")
        .text("title", m.title)
        .text("text", m.text)
        .done();
}

template <class T, class F> std::string array(const std::vector<T>& items, F&& one)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i)
            out += ',';
        out += one(items[i]);
    }
    out += ']';
    return out;
}

} // namespace

std::string runJson(const RunRecord& record)
{
    // By hand: a decimal comma of the locale would make it no JSON number.
    const auto ms = static_cast<long long>(record.seconds * 1000 + 0.5);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%lld.%03lld", ms / 1000, ms % 1000);
    return Object()
               .field("device", record.device ? deviceJson(*record.device) : "null")
               .field("history", record.history ? historyJson(*record.history) : "null")
               .field("files", array(record.files, fileJson))
               .field("range", record.range ? rangeJson(*record.range) : "null")
               .field("seconds", seconds)
               .number("exit_code", record.exitCode)
               .text("outcome", outcomeName(record.exitCode))
               .field("messages", array(record.messages, messageJson))
               .done() +
           "\n";
}
