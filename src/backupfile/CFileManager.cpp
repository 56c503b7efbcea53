#include "backupfile/CFileManager.h"

#include "backupfile/CBase64.h"
#include "backupfile/CProperty.h"
#include "platform/SharedInstance.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

CSharedInstance<CFileManager> gShared;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Moves i past leading blanks and an optional sign; true for a minus.
bool skipBlanksAndSign(const std::string& text, size_t& i)
{
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return text[i++] == '-';
    return false;
}

// Leading blanks, optional sign, digits up to the first non-digit; no digits reads as 0.
// Out-of-range numbers are clamped rather than wrapped.
int32_t parseLeadingInt(const std::string& text)
{
    size_t i = 0;
    const bool negative = skipBlanksAndSign(text, i);
    int64_t magnitude = 0;
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    for (; i < text.size() && isDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit)
            magnitude = limit;  // keep reading digits, the result stays clamped
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

// Whether a decimal number too far out for a double lies beyond its largest value (else it is
// closer to zero than its smallest): where its first significant digit stands against the
// point, moved by the exponent.
bool beyondLargest(const char* first, const char* last)
{
    int64_t order = 0;  // digits before the point, or minus the zeros right after it
    bool significant = false;
    bool afterPoint = false;
    const char* p = first;
    for (; p < last && (isDigit(*p) || *p == '.'); ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (!significant && *p == '0') {
            if (afterPoint)
                --order;
        } else {
            significant = true;
            if (!afterPoint)
                ++order;
        }
    }
    int64_t exponent = 0;
    bool negativeExponent = false;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < last && (*p == '+' || *p == '-'))
            negativeExponent = *p++ == '-';
        for (; p < last && isDigit(*p); ++p)
            exponent = std::min<int64_t>(exponent * 10 + (*p - '0'), 1000000000);
    }
    return order + (negativeExponent ? -exponent : exponent) > 0;
}

// The leading decimal number ("." as the point, whatever the process locale says),
// narrowed to float. Hexadecimal, "inf" and "nan" are not decimal numbers and read as 0.
float parseLeadingFloat(const std::string& text)
{
    size_t i = 0;
    const bool negative = skipBlanksAndSign(text, i);
    if (i >= text.size() || !(isDigit(text[i]) || (text[i] == '.' && i + 1 < text.size() && isDigit(text[i + 1]))))
        return 0.0f;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the conventional infinity or zero.
        value = beyondLargest(first, result.ptr) ? HUGE_VAL : 0.0;
    } else if (result.ec != std::errc()) {
        return 0.0f;
    }
    if (negative)
        value = -value;
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace

CFileManager::CFileManager() = default;

CFileManager::~CFileManager()
{
    gShared.release(this);
    // m_property's destructor saves what is still unsaved.
}

void CFileManager::open(const std::string& fileName)
{
    m_property.reset();  // a previous file gets its final save first
    m_fileName = fileName;
    m_property = std::make_unique<CProperty>(fileName);
    m_lastError = 0;
}

const std::string& CFileManager::getFileName() const
{
    return m_fileName;
}

bool CFileManager::setInt(const std::string& key, int32_t value)
{
    return m_property && m_property->setValue(key, std::to_string(value));
}

int32_t CFileManager::getInt(const std::string& key)
{
    std::string value;
    if (!m_property || !m_property->getValue(key, value))
        return 0;
    return parseLeadingInt(value);
}

float CFileManager::getFloat(const std::string& key)
{
    std::string value;
    if (!m_property || !m_property->getValue(key, value))
        return 0.0f;
    return parseLeadingFloat(value);
}

bool CFileManager::writeData(const std::string& key, const uint8_t* bytes, size_t n)
{
    if (!m_property)
        return false;
    if (!m_property->setValue(key, CBase64::encode(bytes, n))) {
        m_lastError = ENAMETOOLONG;  // the key is refused, nothing was stored
        return false;
    }
    return flush();
}

bool CFileManager::readData(const std::string& key, uint8_t* destination, size_t n, size_t* decoded)
{
    std::string text;
    if (!m_property || !m_property->getValue(key, text))
        return false;
    const size_t count = CBase64::decode(text, destination, n);
    if (decoded)
        *decoded = count;
    return true;
}

bool CFileManager::dataSize(const std::string& key, size_t& bytes, bool* stray)
{
    std::string text;
    if (!m_property || !m_property->getValue(key, text))
        return false;
    bytes = CBase64::decodedSize(text);
    if (stray)
        *stray = CBase64::strayCharacter(text);
    return true;
}

bool CFileManager::getText(const std::string& key, std::string& value)
{
    return m_property && m_property->getValue(key, value);
}

bool CFileManager::load()
{
    return m_property && m_property->load();
}

std::vector<std::string> CFileManager::keys()
{
    return m_property ? m_property->keys() : std::vector<std::string>{};
}

std::vector<CProperty::LoadNote> CFileManager::loadNotes() const
{
    return m_property ? m_property->loadNotes() : std::vector<CProperty::LoadNote>{};
}

bool CFileManager::containsKey(const std::string& key)
{
    return m_property && m_property->contains(key);
}

bool CFileManager::containsKeys(const std::vector<std::string>& keys)
{
    if (!m_property)
        return false;
    for (const std::string& key : keys)
        if (!m_property->contains(key))
            return false;
    return true;
}

bool CFileManager::flush()
{
    if (!m_property)
        return true;
    const bool saved = m_property->flush();
    m_lastError = m_property->getLastError();
    return saved;
}

int CFileManager::getLastError() const
{
    return m_lastError;
}

CFileManager* getFileManager()
{
    return gShared.get();
}
