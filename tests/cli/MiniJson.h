#pragma once

// A small strict JSON reader for the tests of the tool's JSON output: one document, nothing
// after it, and the value tree to look into.
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace minijson {

struct Value {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Value> array;
    std::map<std::string, Value> object;

    const Value& operator[](const std::string& key) const
    {
        const auto it = object.find(key);
        if (kind != Object || it == object.end())
            throw std::runtime_error("no member " + key);
        return it->second;
    }
    const Value& operator[](size_t i) const
    {
        if (kind != Array || i >= array.size())
            throw std::runtime_error("no element " + std::to_string(i));
        return array[i];
    }
    bool isNull() const { return kind == Null; }
};

class Reader
{
public:
    // Throws std::runtime_error for anything that is not exactly one JSON document.
    static Value parse(const std::string& text)
    {
        Reader r(text);
        Value v = r.value();
        r.blanks();
        if (r.m_at != text.size())
            r.fail("text after the document");
        return v;
    }

private:
    explicit Reader(const std::string& text) : m_text(text) {}

    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error(what + " at offset " + std::to_string(m_at));
    }
    void blanks()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' || m_text[m_at] == '\r' ||
                                        m_text[m_at] == '\t'))
            ++m_at;
    }
    bool take(char c)
    {
        blanks();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    void expect(char c)
    {
        if (!take(c))
            fail(std::string("expected ") + c);
    }
    bool word(const char* w)
    {
        const std::string s(w);
        if (m_text.compare(m_at, s.size(), s) != 0)
            return false;
        m_at += s.size();
        return true;
    }
    std::string string()
    {
        expect('"');
        std::string out;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            const unsigned char c = static_cast<unsigned char>(m_text[m_at++]);
            if (c < 0x20)
                fail("control character in a string");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_at >= m_text.size())
                fail("unfinished escape");
            const char e = m_text[m_at++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                if (m_at + 4 > m_text.size())
                    fail("short \\u escape");
                const unsigned code = static_cast<unsigned>(std::strtoul(m_text.substr(m_at, 4).c_str(), nullptr, 16));
                m_at += 4;
                if (code >= 0x80)
                    fail("only ASCII \\u escapes are expected");
                out += static_cast<char>(code);
                break;
            }
            default:
                fail("bad escape");
            }
        }
        expect('"');
        return out;
    }
    Value value()
    {
        blanks();
        if (m_at >= m_text.size())
            fail("no value");
        Value v;
        const char c = m_text[m_at];
        if (c == '{') {
            ++m_at;
            v.kind = Value::Object;
            if (take('}'))
                return v;
            do {
                blanks();
                const std::string key = string();
                expect(':');
                if (!v.object.emplace(key, value()).second)
                    fail("member " + key + " twice");
            } while (take(','));
            expect('}');
        } else if (c == '[') {
            ++m_at;
            v.kind = Value::Array;
            if (take(']'))
                return v;
            do
                v.array.push_back(value());
            while (take(','));
            expect(']');
        } else if (c == '"') {
            v.kind = Value::String;
            v.string = string();
        } else if (word("true") || word("false")) {
            v.kind = Value::Bool;
            v.boolean = m_text[m_at - 1] == 'e' && m_text[m_at - 2] == 'u';
        } else if (word("null")) {
            v.kind = Value::Null;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            const char* start = m_text.c_str() + m_at;
            char* end = nullptr;
            v.kind = Value::Number;
            v.number = std::strtod(start, &end);
            if (end == start)
                fail("no value");
            m_at += static_cast<size_t>(end - start);
        } else {
            fail("no value");
        }
        return v;
    }

    const std::string& m_text;
    size_t m_at = 0;
};

}  // namespace minijson
