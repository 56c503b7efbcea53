#include "platform/Progress.h"

#include <algorithm>

CProgressReport CProgressReport::at(Clock::time_point now) const
{
    CProgressReport r = *this;
    if (unit == ProgressUnit::Time) {
        const int64_t elapsed = std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(now - since).count());
        r.done = std::min<uint64_t>(static_cast<uint64_t>(elapsed), total);
        r.stageLeft = exact ? static_cast<int64_t>(total - r.done) : kUnknown;
    } else if (stageLeft != kUnknown && now > reportedAt) {
        const int64_t passed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - reportedAt).count();
        r.stageLeft = std::max<int64_t>(0, stageLeft - passed);
    }
    // Applied again later, the time left must not run down twice.
    r.reportedAt = std::max(now, reportedAt);
    return r;
}

int64_t CProgressReport::jobLeft() const
{
    if (stageLeft == kUnknown || afterStage == kUnknown)
        return kUnknown;
    return stageLeft + afterStage;
}

int CProgressReport::percent() const
{
    if (total == 0)
        return 0;
    return static_cast<int>(std::min<uint64_t>(done, total) * 100 / total);
}

void CProgressSlot::post(const CProgressReport& report)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report = report;
    m_set = true;
}

bool CProgressSlot::latest(CProgressReport& report) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_set)
        report = m_report;
    return m_set;
}

void CProgressSlot::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
    m_report = CProgressReport();
}
