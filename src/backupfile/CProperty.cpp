#include "backupfile/CProperty.h"

#include "backupfile/CMyMap.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

int CProperty::checkSaveTarget(const std::string& fileName, std::string* resolved)
{
    return fsys::checkReplaceable(fileName, resolved);
}

CProperty::CProperty(const std::string& fileName) : m_fileName(fileName), m_map(std::make_unique<CMyMap>()) {}

CProperty::~CProperty()
{
    // After a failed save the caller has been told and has reported it; a save here could
    // not be reported, so the file is not written again behind its back.
    if (!m_saveFailed)
        flush();
}

bool CProperty::load()
{
    // Read everything first so that a read error leaves the tree untouched.
    std::string content;
    if (!fsys::readFile(m_fileName, content))
        return false;

    m_loadNotes.clear();
    std::map<std::string, size_t> lineOfKey;  // where each stored key came from
    size_t start = 0;
    // An editor may put a byte order mark before the first key; it is no part of the key.
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        m_loadNotes.push_back({LoadNote::ByteOrderMark, 1, {}});
        start = 3;
    }
    for (size_t number = 1; start < content.size(); ++number) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        size_t lineEnd = end;
        if (lineEnd > start && content[lineEnd - 1] == '\r')
            --lineEnd;
        const std::string_view line(content.data() + start, lineEnd - start);
        start = end + 1;
        const size_t equals = line.find('=');
        // No "=", "=" first or nothing after it: not a pair. Over-long keys are refused
        // by the tree and so skipped too. Each skip is noted for the file's inspection.
        if (line.empty()) {
            m_loadNotes.push_back({LoadNote::Blank, number, {}});
            continue;
        }
        if (equals == std::string_view::npos) {
            m_loadNotes.push_back({LoadNote::NoEquals, number, {}});
            continue;
        }
        if (equals == 0) {
            m_loadNotes.push_back({LoadNote::EmptyKey, number, {}});
            continue;
        }
        std::string key(line.substr(0, equals));
        if (equals + 1 == line.size()) {
            m_loadNotes.push_back({LoadNote::EmptyValue, number, std::move(key)});
            continue;
        }
        if (!m_map->insert(key, std::string(line.substr(equals + 1)))) {
            m_loadNotes.push_back({LoadNote::KeyTooLong, number, std::move(key)});
            continue;
        }
        auto [it, fresh] = lineOfKey.try_emplace(key, number);
        if (!fresh) {
            m_loadNotes.push_back({LoadNote::Replaced, it->second, key, number});
            it->second = number;
        }
    }
    // Replaced lines are found late; the notes read best in line order.
    std::stable_sort(m_loadNotes.begin(), m_loadNotes.end(),
                     [](const LoadNote& a, const LoadNote& b) { return a.line < b.line; });
    return true;
}

bool CProperty::save()
{
    std::string content;
    std::vector<std::string> keys;
    m_map->getKeys(keys);
    // Loading skips a byte order mark at the file's start: a first key that begins with those
    // bytes would lose them on the next load, so a blank line (which loading ignores) goes first.
    if (!keys.empty() && keys.front().compare(0, 3, "\xEF\xBB\xBF") == 0)
        content.append("\r\n");
    for (const std::string& key : keys) {
        std::string value;
        m_map->getValue(key, value);
        content.append(key).append(1, '=').append(value).append("\r\n");
    }

    if (const int error = fsys::replaceFile(m_fileName, content)) {
        m_lastError = error;
        m_saveFailed = true;
        return false;
    }
    m_dirty = false;
    m_saveFailed = false;
    m_lastError = 0;
    return true;
}

bool CProperty::flush()
{
    return m_dirty ? save() : true;
}

void CProperty::loadOnDemand()
{
    if (m_map->getCounter() == 0)
        load();
}

bool CProperty::setValue(const std::string& key, const std::string& value)
{
    if (!m_map->insert(key, value))
        return false;
    m_dirty = true;
    return true;
}

bool CProperty::getValue(const std::string& key, std::string& value)
{
    loadOnDemand();
    return m_map->getValue(key, value);
}

std::vector<std::string> CProperty::keys()
{
    loadOnDemand();
    std::vector<std::string> list;
    m_map->getKeys(list);
    return list;
}

bool CProperty::contains(const std::string& key)
{
    loadOnDemand();
    return m_map->contains(key);
}
