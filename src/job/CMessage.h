#pragma once

#include "resources/StringIds.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

class CListBox;

// One argument of a status line. The marks of a text take them in order:
// %a and %s a text, %d an integer, %f a number rendered without decimals.
class CMsgArg
{
public:
    enum Kind { Text, Int, Number };

    CMsgArg(const std::string& s) : m_kind(Text), m_text(s) {}
    CMsgArg(const char* s) : m_kind(Text), m_text(s ? s : "") {}
    CMsgArg(int v) : m_kind(Int), m_int(v) {}
    CMsgArg(unsigned v) : m_kind(Int), m_int(v) {}
    CMsgArg(long v) : m_kind(Int), m_int(v) {}
    CMsgArg(unsigned long v) : m_kind(Int), m_int(static_cast<long long>(v)) {}
    CMsgArg(long long v) : m_kind(Int), m_int(v) {}
    CMsgArg(double v) : m_kind(Number), m_number(v) {}

    Kind kind() const { return m_kind; }
    std::string asText() const;
    long long asInt() const;
    double asNumber() const;

private:
    Kind m_kind;
    std::string m_text;
    long long m_int = 0;
    double m_number = 0;
};

// The one sink of status lines: a numbered text of the string table (resources/StringIds.h, looked
// up in the active resources), expanded with its arguments and appended to the status list.
// post may be called from any thread; with no list attached the line is built and dropped.
class CMessage
{
public:
    static CMessage* getInstance();
    // Deletes the process-wide instance; the next getInstance creates a fresh one.
    static void deleteInstance();

    virtual ~CMessage();

    void setListBox(CListBox* listBox);

    // The text of a string id, no expansion, cut to fit size - 1 bytes and terminated.
    void loadText(int id, char* buffer, size_t size) const;
    std::string loadText(int id) const;

    // Expands the text of id into buffer (cut to fit, terminated); answers the bytes written.
    template <typename... A>
    int format(char* buffer, size_t size, int id, const A&... args) const
    {
        return formatArgs(buffer, size, id, {CMsgArg(args)...});
    }
    template <typename... A>
    std::string formatText(int id, const A&... args) const
    {
        return expand(id, {CMsgArg(args)...}, kLineLimit);
    }
    template <typename... A>
    void post(int id, const A&... args)
    {
        postArgs(id, {CMsgArg(args)...});
    }

    int formatArgs(char* buffer, size_t size, int id, std::initializer_list<CMsgArg> args) const;
    void postArgs(int id, std::initializer_list<CMsgArg> args);

    // The ids of the lines posted so far, in order.
    std::vector<int> postedIds() const;
    // True once a line of failure weight was posted (see msgWeight).
    bool failurePosted() const;
    // Forgets the lines posted so far: a job starts with a clean record.
    void clearPostedIds();

    // Texts are at most 511 bytes, a line at most 1023 bytes.
    static constexpr size_t kTextLimit = 511;
    static constexpr size_t kLineLimit = 1023;

    // The expansion itself: %a %d %f %s take the next argument, % and any other character
    // give that character, a lone % at the end is kept. The result is cut at limit bytes.
    static std::string expandText(const std::string& text, const std::vector<CMsgArg>& args, size_t limit);

private:
    CMessage() = default;
    std::string expand(int id, std::initializer_list<CMsgArg> args, size_t limit) const;

    mutable std::mutex m_mutex;
    CListBox* m_listBox = nullptr;
    std::vector<int> m_posted;
    bool m_failurePosted = false;
};

// Cuts UTF-8 text to at most maxBytes without splitting a character.
std::string cutUtf8(const std::string& text, size_t maxBytes);
