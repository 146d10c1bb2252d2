#include "connection/inifile.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace ini {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct Line {
    std::size_t start = 0;
    std::size_t end = 0; // exclusive, before the line break
    std::size_t equals = std::string_view::npos;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void skipBlanks(std::string_view d, std::size_t& i)
{
    while (i < d.size() && isBlank(d[i]))
        ++i;
}

// One logical line as QSettings cuts them: blank lines and lines starting
// with ';' are skipped; a line break inside quotes or after a backslash does
// not end it; an unquoted ';' does (the rest is a comment).
bool nextLine(std::string_view d, std::size_t& pos, Line& line)
{
    std::size_t start = pos;
    skipBlanks(d, start);
    std::size_t i = start;
    bool inQuotes = false;
    std::size_t equals = std::string_view::npos;
    while (i < d.size()) {
        const char c = d[i++];
        if (c == '=') {
            if (!inQuotes && equals == std::string_view::npos)
                equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < d.size()) {
                const char escaped = d[i++];
                // A backslash before a CR LF (or LF CR) joins the lines.
                if (i < d.size() &&
                    ((escaped == '\n' && d[i] == '\r') || (escaped == '\r' && d[i] == '\n')))
                    ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < d.size() && d[i] != '\n' && d[i] != '\r')
                    ++i;
                skipBlanks(d, i);
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line = {start, i, equals};
    return i > start;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string unescapedKey(std::string_view key)
{
    std::string out;
    for (std::size_t i = 0; i < key.size();) {
        if (key[i] == '\\') {
            out += '/';
            ++i;
            continue;
        }
        const std::size_t digits = i + 1 < key.size() && key[i + 1] == 'U' ? 4 : 2;
        const std::size_t first = i + (digits == 4 ? 2 : 1);
        uint32_t cp = 0;
        bool ok = key[i] == '%' && first + digits <= key.size();
        for (std::size_t k = 0; ok && k < digits; ++k) {
            const int d = hexDigit(key[first + k]);
            ok = d >= 0;
            cp = cp * 16 + static_cast<uint32_t>(d);
        }
        if (!ok) {
            out += key[i++];
            continue;
        }
        appendUtf8(out, cp);
        i = first + digits;
    }
    return out;
}

// The section a "[...]" line opens, as QSettings names it: "General" is the
// root, "%General" a section of that name.
std::string sectionName(std::string_view line)
{
    std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        close = line.size();
    const std::string_view inner = trimmed(line.substr(1, close - 1));
    auto caseless = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
                return false;
        }
        return true;
    };
    if (caseless(inner, "general"))
        return {};
    if (caseless(inner, "%general"))
        return std::string(inner.substr(1));
    return unescapedKey(inner);
}

struct Value {
    std::string text;
    bool list = false;
};

void chopBlanks(std::string& s, std::size_t limit)
{
    while (s.size() > limit && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
}

char simpleEscape(char c)
{
    switch (c) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case '"':
    case '?':
    case '\'':
    case '\\':
        return c;
    default:
        return 0;
    }
}

// "\x41" and "\101": as many digits of the base as follow.
uint32_t numberEscape(std::string_view s, std::size_t& i, int base)
{
    uint32_t value = 0;
    while (i < s.size()) {
        const int d = hexDigit(s[i]);
        if (d < 0 || d >= base)
            break;
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
        ++i;
    }
    return value & 0xFFFF;
}

Value unescapedValue(std::string_view s)
{
    Value v;
    std::string current;
    bool quoted = false;
    bool inQuotes = false;
    std::size_t i = 0;
    // Blanks up to here came from escapes or quotes and stay.
    std::size_t keep = 0;
    auto skipSpaces = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        keep = current.size();
    };
    skipSpaces();
    std::vector<std::string> items;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\\') {
            if (++i >= s.size())
                break;
            const char e = s[i++];
            if (const char plain = simpleEscape(e)) {
                current += plain;
            } else if (e == 'x' && i < s.size() && hexDigit(s[i]) >= 0) {
                appendUtf8(current, numberEscape(s, i, 16));
            } else if (e >= '0' && e <= '7') {
                --i;
                appendUtf8(current, numberEscape(s, i, 8));
            } else if ((e == '\n' || e == '\r') && i < s.size() && (s[i] == '\n' || s[i] == '\r') &&
                       s[i] != e) {
                ++i;
            }
            keep = current.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipSpaces();
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                chopBlanks(current, keep);
            v.list = true;
            items.push_back(current);
            current.clear();
            quoted = false;
            ++i;
            skipSpaces();
        } else {
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != '\\' && s[j] != '"' && s[j] != ',')
                ++j;
            current.append(s.substr(i, j - i));
            i = j;
        }
    }
    if (!quoted)
        chopBlanks(current, keep);
    v.text = current;
    return v;
}

// QSettings' reading of a stored text as a value, and that value as text.
std::optional<std::string> asText(const Value& v)
{
    // A list reads as no text at all.
    if (v.list)
        return std::string();
    const std::string& s = v.text;
    if (!s.starts_with('@'))
        return s;
    if (s.ends_with(')')) {
        for (std::string_view wrapper : {"@ByteArray(", "@String("}) {
            if (s.starts_with(wrapper))
                return s.substr(wrapper.size(), s.size() - wrapper.size() - 1);
        }
        if (s.starts_with("@Variant(") || s.starts_with("@DateTime(") || s == "@Invalid()")
            return std::nullopt;
    }
    return s.starts_with("@@") ? s.substr(1) : s;
}

struct Found {
    std::optional<Line> lastKeyLine;
    // End of the group's last line, header included; npos without the group.
    std::size_t groupEnd = std::string_view::npos;
};

Found find(std::string_view body, std::string_view group, std::string_view key)
{
    Found found;
    bool inGroup = false;
    std::size_t pos = 0;
    Line line;
    while (nextLine(body, pos, line)) {
        const std::string_view text = body.substr(line.start, line.end - line.start);
        if (text.starts_with('[')) {
            inGroup = sectionName(text) == group;
            if (inGroup)
                found.groupEnd = line.end;
            continue;
        }
        if (!inGroup)
            continue;
        found.groupEnd = line.end;
        if (line.equals == std::string_view::npos)
            continue;
        if (unescapedKey(trimmed(body.substr(line.start, line.equals - line.start))) == key)
            found.lastKeyLine = line;
    }
    return found;
}

std::string_view withoutBom(std::string_view file)
{
    return file.starts_with(kBom) ? file.substr(kBom.size()) : file;
}

// UTF-8 to code points; a byte that starts no whole sequence counts as itself.
std::vector<uint32_t> codePoints(std::string_view s)
{
    std::vector<uint32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        bool whole = extra > 0 && i + extra < s.size();
        uint32_t cp = b & (0x3F >> extra);
        for (std::size_t k = 1; whole && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            whole = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        out.push_back(whole ? cp : b);
        i += whole ? 1 + extra : 1;
    }
    return out;
}

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kLowerHex[] = "0123456789abcdef";

void appendHex(std::string& out, uint32_t value, int digits, const char* alphabet)
{
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += alphabet[(value >> shift) & 0xF];
}

// "\x1f": as few digits as the value needs.
void appendHexEscape(std::string& out, uint32_t value)
{
    out += "\\x";
    int digits = 1;
    while (digits < 4 && (value >> (4 * digits)) != 0)
        ++digits;
    appendHex(out, value, digits, kLowerHex);
}

} // namespace

std::optional<std::string>
readValue(std::string_view file, std::string_view group, std::string_view key)
{
    const std::string_view body = withoutBom(file);
    const Found found = find(body, group, key);
    if (!found.lastKeyLine)
        return std::nullopt;
    const Line& line = *found.lastKeyLine;
    return asText(unescapedValue(body.substr(line.equals + 1, line.end - line.equals - 1)));
}

std::string withValue(std::string_view file,
                      std::string_view group,
                      std::string_view key,
                      std::string_view value)
{
    const std::size_t offset = file.size() - withoutBom(file).size();
    const Found found = find(file.substr(offset), group, key);
    std::string entry = escapedKey(key);
    entry += '=';
    entry += escapedValue(value);
    std::string out(file);
    if (found.lastKeyLine) {
        const Line& line = *found.lastKeyLine;
        out.replace(offset + line.start, line.end - line.start, entry);
    } else if (found.groupEnd != std::string_view::npos) {
        out.insert(offset + found.groupEnd, "\n" + entry);
    } else {
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        if (out.size() > offset)
            out += '\n';
        out += '[';
        out += escapedKey(group);
        out += "]\n";
        out += entry;
        out += '\n';
    }
    return out;
}

std::string escapedKey(std::string_view name)
{
    std::string out;
    for (uint32_t cp : codePoints(name)) {
        const bool plain = (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') ||
                           (cp >= '0' && cp <= '9') || cp == '_' || cp == '-' || cp == '.';
        if (cp == '/') {
            out += '\\';
        } else if (plain) {
            out += static_cast<char>(cp);
        } else if (cp <= 0xFF) {
            out += '%';
            appendHex(out, cp, 2, kHex);
        } else if (cp <= 0xFFFF) {
            out += "%U";
            appendHex(out, cp, 4, kHex);
        } else {
            // UTF-16, as Qt keeps the name: two units.
            const uint32_t v = cp - 0x10000;
            out += "%U";
            appendHex(out, 0xD800 + (v >> 10), 4, kHex);
            out += "%U";
            appendHex(out, 0xDC00 + (v & 0x3FF), 4, kHex);
        }
    }
    return out;
}

std::string escapedValue(std::string_view value)
{
    std::string text(value.starts_with('@') ? "@" : "");
    text += value;
    std::string out;
    bool quotes = false;
    bool escapeHexDigit = false;
    for (char c : text) {
        if (c == ';' || c == ',' || c == '=')
            quotes = true;
        // After "\x1f" or "\0" a hex digit would be read as part of it.
        if (escapeHexDigit && hexDigit(c) >= 0) {
            appendHexEscape(out, static_cast<unsigned char>(c));
            continue;
        }
        escapeHexDigit = false;
        const auto u = static_cast<unsigned char>(c);
        if (c == '\0') {
            out += "\\0";
            escapeHexDigit = true;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static constexpr char kNamed[] = "\a\b\f\n\r\t\v";
            static constexpr char kLetters[] = "abfnrtv";
            const char* named = c ? std::char_traits<char>::find(kNamed, 7, c) : nullptr;
            if (named) {
                out += '\\';
                out += kLetters[named - kNamed];
            } else {
                appendHexEscape(out, u);
                escapeHexDigit = true;
            }
        } else {
            out += c;
        }
    }
    if (quotes || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) {
        out.insert(out.begin(), '"');
        out += '"';
    }
    return out;
}

} // namespace ini
