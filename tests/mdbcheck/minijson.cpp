#include "minijson.h"
#include "jetimage.h"

namespace mdbcheck::json {

namespace {

class Parser {
public:
    explicit Parser(const std::string& s) : m_s(s) {}

    Value document()
    {
        Value v = value();
        skipSpace();
        if (m_pos != m_s.size())
            fail("text after the value");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(m_pos));
    }

    void skipSpace()
    {
        while (m_pos < m_s.size() && (m_s[m_pos] == ' ' || m_s[m_pos] == '\n' ||
                                      m_s[m_pos] == '\r' || m_s[m_pos] == '\t'))
            ++m_pos;
    }

    char peek()
    {
        skipSpace();
        if (m_pos >= m_s.size())
            fail("unexpected end");
        return m_s[m_pos];
    }

    void expect(char c)
    {
        if (peek() != c)
            fail(std::string("expected '") + c + "'");
        ++m_pos;
    }

    bool literal(const char* word)
    {
        std::string w(word);
        if (m_s.compare(m_pos, w.size(), w) != 0)
            return false;
        m_pos += w.size();
        return true;
    }

    Value value()
    {
        char c = peek();
        Value v;
        if (c == '{')
            return object();
        if (c == '[')
            return array();
        if (c == '"') {
            v.kind = Value::Kind::String;
            v.text = string();
        } else if (literal("null")) {
            v.kind = Value::Kind::Null;
        } else if (literal("true")) {
            v.kind = Value::Kind::Bool;
            v.text = "true";
        } else if (literal("false")) {
            v.kind = Value::Kind::Bool;
            v.text = "false";
        } else {
            v.kind = Value::Kind::Number;
            size_t start = m_pos;
            while (m_pos < m_s.size() &&
                   std::string("+-0123456789.eE").find(m_s[m_pos]) != std::string::npos)
                ++m_pos;
            if (m_pos == start)
                fail("unexpected character");
            v.text = m_s.substr(start, m_pos - start);
        }
        return v;
    }

    Value object()
    {
        Value v;
        v.kind = Value::Kind::Object;
        expect('{');
        if (peek() == '}') {
            ++m_pos;
            return v;
        }
        for (;;) {
            if (peek() != '"')
                fail("expected a member name");
            std::string key = string();
            expect(':');
            v.members[key] = value();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            expect('}');
            return v;
        }
    }

    Value array()
    {
        Value v;
        v.kind = Value::Kind::Array;
        expect('[');
        if (peek() == ']') {
            ++m_pos;
            return v;
        }
        for (;;) {
            v.items.push_back(value());
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            expect(']');
            return v;
        }
    }

    uint32_t hex4()
    {
        if (m_pos + 4 > m_s.size())
            fail("short \\u escape");
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            char c = m_s[m_pos++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= uint32_t(c - 'A' + 10);
            else
                fail("bad \\u escape");
        }
        return v;
    }

    std::string string()
    {
        expect('"');
        std::string out;
        while (m_pos < m_s.size() && m_s[m_pos] != '"') {
            char c = m_s[m_pos++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_s.size())
                fail("unfinished escape");
            char e = m_s[m_pos++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u': {
                uint32_t cp = hex4();
                if (cp >= 0xD800 && cp < 0xDC00 && m_s.compare(m_pos, 2, "\\u") == 0) {
                    m_pos += 2;
                    uint32_t low = hex4();
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                out += e;
            }
        }
        if (m_pos >= m_s.size())
            fail("unfinished string");
        ++m_pos;
        return out;
    }

    const std::string& m_s;
    size_t m_pos = 0;
};

} // namespace

const Value& Value::at(const std::string& key) const
{
    auto it = members.find(key);
    if (it == members.end())
        throw std::runtime_error("JSON: no member \"" + key + "\"");
    return it->second;
}

Value parse(const std::string& text)
{
    return Parser(text).document();
}

} // namespace mdbcheck::json
