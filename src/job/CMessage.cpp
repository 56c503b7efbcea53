#include "job/CMessage.h"

#include "platform/DialogLink.h"
#include "platform/Resources.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
std::mutex gInstanceMutex;
CMessage* gInstance = nullptr;
}

std::string CMsgArg::asText() const
{
    switch (m_kind) {
    case Text:
        return m_text;
    case Int:
        return std::to_string(m_int);
    case Number:
        break;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", m_number);
    return buf;
}

long long CMsgArg::asInt() const
{
    switch (m_kind) {
    case Int:
        return m_int;
    case Number:
        // Converting a number outside the range is undefined: saturate, as strtoll does a text.
        if (!std::isfinite(m_number))
            return 0;
        if (m_number >= 0x1p63)
            return LLONG_MAX;
        if (m_number < -0x1p63)
            return LLONG_MIN;
        return static_cast<long long>(m_number);
    case Text:
        break;
    }
    return std::strtoll(m_text.c_str(), nullptr, 10);
}

double CMsgArg::asNumber() const
{
    switch (m_kind) {
    case Number:
        return m_number;
    case Int:
        return static_cast<double>(m_int);
    case Text:
        break;
    }
    return std::strtod(m_text.c_str(), nullptr);
}

std::string cutUtf8(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    // Step back over continuation bytes so no character is split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

CMessage* CMessage::getInstance()
{
    std::lock_guard<std::mutex> lock(gInstanceMutex);
    if (!gInstance)
        gInstance = new CMessage();
    return gInstance;
}

void CMessage::deleteInstance()
{
    CMessage* doomed = nullptr;
    {
        std::lock_guard<std::mutex> lock(gInstanceMutex);
        doomed = gInstance;
        gInstance = nullptr;
    }
    delete doomed;
}

CMessage::~CMessage()
{
    std::lock_guard<std::mutex> lock(gInstanceMutex);
    if (gInstance == this)
        gInstance = nullptr;
}

void CMessage::setListBox(CListBox* listBox)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listBox = listBox;
}

void CMessage::loadText(int id, char* buffer, size_t size) const
{
    if (!buffer || size == 0)
        return;
    const std::string text = cutUtf8(loadResourceText(id), size - 1);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
}

std::string CMessage::loadText(int id) const
{
    return loadResourceText(id);
}

std::string CMessage::expandText(const std::string& source, const std::vector<CMsgArg>& args, size_t limit)
{
    const std::string text = cutUtf8(source, kTextLimit);
    std::string out;
    size_t next = 0;
    auto takeArg = [&]() -> const CMsgArg* { return next < args.size() ? &args[next++] : nullptr; };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            out += '%';  // a lone % at the end stays
            break;
        }
        const char mark = text[++i];
        switch (mark) {
        case 'a':
        case 's':
            if (const CMsgArg* a = takeArg())
                out += a->asText();
            break;
        case 'd':
            if (const CMsgArg* a = takeArg())
                out += std::to_string(static_cast<int32_t>(a->asInt()));
            break;
        case 'f':
            if (const CMsgArg* a = takeArg()) {
                char buf[400];
                std::snprintf(buf, sizeof buf, "%.0f", a->asNumber());
                out += buf;
            }
            break;
        default:
            out += mark;
            break;
        }
        if (out.size() > limit)
            break;
    }
    return cutUtf8(out, limit);
}

std::string CMessage::expand(int id, std::initializer_list<CMsgArg> args, size_t limit) const
{
    return expandText(loadResourceText(id), std::vector<CMsgArg>(args), limit);
}

int CMessage::formatArgs(char* buffer, size_t size, int id, std::initializer_list<CMsgArg> args) const
{
    if (!buffer || size == 0)
        return 0;
    const std::string line = expand(id, args, std::min(size - 1, kLineLimit));
    std::memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\0';
    return static_cast<int>(line.size());
}

void CMessage::postArgs(int id, std::initializer_list<CMsgArg> args)
{
    const std::string line = expand(id, args, kLineLimit);
    CListBox* listBox = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_posted.push_back(id);
        if (msgWeight(id) == MsgWeight::Failure)
            m_failurePosted = true;
        listBox = m_listBox;
    }
    if (listBox)
        listBox->addLine(line);
}

std::vector<int> CMessage::postedIds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_posted;
}

bool CMessage::failurePosted() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failurePosted;
}

void CMessage::clearPostedIds()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_posted.clear();
    m_failurePosted = false;
}
