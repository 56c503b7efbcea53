#include "job/CJobProgress.h"

#include "platform/DialogLink.h"
#include "platform/TimeScale.h"

#include <algorithm>

namespace {

// Bytes a transfer must have moved before its rate is trusted for a forecast.
constexpr uint64_t kRateSample = 2048;

int64_t toNs(std::chrono::nanoseconds d)
{
    return d.count();
}

}  // namespace

void CJobProgress::begin(ProgressStage stage, ProgressUnit unit, uint64_t total, int skd)
{
    m_report = CProgressReport();
    m_report.stage = stage;
    m_report.unit = unit;
    m_report.instance = ++m_instance;
    m_report.skd = skd;
    m_report.total = total;
    m_report.since = Clock::now();
}

void CJobProgress::beginWait(ProgressStage stage, uint32_t ms, CTimer::Kind kind, int skd)
{
    if (!m_link)
        return;
    const auto length = kind == CTimer::Timeout ? scaledTimeout(ms) : scaledPause(ms);
    begin(stage, ProgressUnit::Time, static_cast<uint64_t>(toNs(length)), skd);
    m_report.exact = kind == CTimer::Pause;
    post(m_report.since);
}

void CJobProgress::beginAttempt(int attempt, int attempts, uint32_t timeoutMs)
{
    if (!m_link)
        return;
    begin(ProgressStage::ConnectBus, ProgressUnit::Time, static_cast<uint64_t>(toNs(scaledTimeout(timeoutMs))), 0);
    m_report.exact = false;
    m_report.attempt = attempt;
    m_report.attempts = attempts;
    post(m_report.since);
}

void CJobProgress::endWait(uint32_t pauseMs)
{
    if (!m_link || m_report.unit != ProgressUnit::Time)
        return;
    const Clock::time_point now = Clock::now();
    // What has passed is now known; only the pause is still to come.
    const auto passed = std::max<int64_t>(0, toNs(now - m_report.since));
    m_report.total = static_cast<uint64_t>(passed + toNs(scaledPause(pauseMs)));
    m_report.exact = true;
    post(now);
}

void CJobProgress::beginCount(ProgressStage stage, ProgressUnit unit, uint64_t total, int skd)
{
    if (!m_link)
        return;
    begin(stage, unit, total, skd);
    post(m_report.since);
}

void CJobProgress::advance(uint64_t done)
{
    if (!m_link)
        return;
    const Clock::time_point now = Clock::now();
    m_report.done = std::min(std::max(done, m_report.done), m_report.total);
    if (m_report.unit == ProgressUnit::Bytes && m_report.done >= kRateSample) {
        const double seconds = std::chrono::duration<double>(now - m_report.since).count();
        if (seconds > 0)
            m_rate = static_cast<double>(m_report.done) / seconds;
    }
    post(now);
}

void CJobProgress::setAhead(std::chrono::nanoseconds fixed, int transfers, uint64_t transferBytes)
{
    m_aheadKnown = true;
    m_aheadFixed = fixed;
    m_aheadTransfers = std::max(0, transfers);
    m_aheadBytes = transferBytes;
}

int64_t CJobProgress::afterStage() const
{
    if (!m_aheadKnown)
        return CProgressReport::kUnknown;
    int64_t ns = toNs(m_aheadFixed);
    if (m_aheadTransfers > 0) {
        if (m_rate <= 0)
            return CProgressReport::kUnknown;
        ns += static_cast<int64_t>(1e9 * static_cast<double>(m_aheadBytes) * m_aheadTransfers / m_rate);
    }
    return ns;
}

void CJobProgress::post(Clock::time_point now)
{
    m_report.reportedAt = now;
    if (m_report.unit == ProgressUnit::Time) {
        m_report.done = std::min<uint64_t>(static_cast<uint64_t>(std::max<int64_t>(0, toNs(now - m_report.since))),
                                           m_report.total);
        m_report.stageLeft = m_report.exact ? static_cast<int64_t>(m_report.total - m_report.done)
                                            : CProgressReport::kUnknown;
    } else if (m_report.unit == ProgressUnit::Bytes && m_rate > 0 && m_report.done >= kRateSample) {
        m_report.stageLeft = static_cast<int64_t>(1e9 * static_cast<double>(m_report.total - m_report.done) / m_rate);
    } else if (m_report.done >= m_report.total) {
        m_report.stageLeft = 0;
    } else {
        m_report.stageLeft = CProgressReport::kUnknown;
    }
    m_report.afterStage = afterStage();
    m_link->reportProgress(m_report);
}
