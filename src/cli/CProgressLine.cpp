#include "cli/CProgressLine.h"

#include <algorithm>
#include <ostream>

namespace {

// Back to the line's start; erase to its end.
constexpr const char* kReturn = "\r";
constexpr const char* kEraseToEnd = "\033[K";
constexpr size_t kBarCells = 20;

// The first count characters of UTF-8 text.
std::string firstCharacters(const std::string& text, size_t count)
{
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == count)
            return text.substr(0, i);
    }
    return text;
}

size_t characterCount(const std::string& text)
{
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

void CProgressLine::show(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_drawn && text == m_text)
        return;
    m_text = text;
    draw();
}

void CProgressLine::setSource(std::function<std::string()> latest)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_source = std::move(latest);
}

void CProgressLine::redraw()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string text = m_source ? m_source() : std::string();
    if (text.empty() || (m_drawn && text == m_text))
        return;
    m_text = text;
    draw();
}

void CProgressLine::around(const std::function<void()>& write, const std::string& after)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool wasDrawn = m_drawn;
    erase();
    write();
    if (!wasDrawn)
        return;
    if (!after.empty()) {
        m_text = after;
    } else if (m_source) {
        const std::string latest = m_source();
        if (!latest.empty())
            m_text = latest;
    }
    draw();
}

void CProgressLine::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    erase();
    m_text.clear();
}

void CProgressLine::erase()
{
    if (!m_drawn)
        return;
    if (m_escapes)
        m_err << kReturn << kEraseToEnd << std::flush;
    else
        m_err << kReturn << std::string(m_shownWidth, ' ') << kReturn << std::flush;
    m_drawn = false;
    m_shownWidth = 0;
}

void CProgressLine::draw()
{
    const size_t width = characterCount(m_text);
    if (m_escapes)
        m_err << kReturn << m_text << kEraseToEnd << std::flush;
    else
        m_err << kReturn << m_text << std::string(m_shownWidth > width ? m_shownWidth - width : 0, ' ') << std::flush;
    m_drawn = true;
    m_shownWidth = std::max(width, m_shownWidth);
}

std::string terminalProgressText(const CProgressReport& r, const ProgressTexts& texts, const std::string& allSkds,
                                 size_t columns)
{
    const int percent = r.percent();
    const size_t filled = static_cast<size_t>(percent) * kBarCells / 100;
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on "[" + std::string(...).
    std::string line(1, '[');
    line.append(filled, '#');
    line.append(kBarCells - filled, '-');
    line += "] ";
    const std::string number = std::to_string(percent);
    line += std::string(3 - std::min<size_t>(3, number.size()), ' ') + number + "%  ";
    line += progressStageText(r, texts, allSkds);
    const std::string left = progressLeftText(r, texts);
    if (!left.empty())
        line += " \xE2\x80\x93 " + left;
    return firstCharacters(line, columns > 1 ? columns - 1 : 0);
}
