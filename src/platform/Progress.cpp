#include "platform/Progress.h"

#include <algorithm>
#include <cstdio>
#include <vector>

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

std::string fillMarks(const std::string& text, std::initializer_list<std::string> args)
{
    const std::vector<std::string> values(args);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const size_t n = static_cast<size_t>(text[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string progressStageText(const CProgressReport& r, const ProgressTexts& texts, const std::string& allSkds)
{
    const std::string skd = r.skd == CProgressReport::kAllSkds ? allSkds : std::to_string(r.skd);
    switch (r.stage) {
    case ProgressStage::None:
        return std::string();
    case ProgressStage::WaitGateway:
        return texts("APP_PROGRESS_WAIT_GATEWAY");
    case ProgressStage::ConnectBus:
        return fillMarks(texts("APP_PROGRESS_CONNECT"), {std::to_string(r.attempt), std::to_string(r.attempts)});
    case ProgressStage::Settle:
        return texts("APP_PROGRESS_SETTLE");
    case ProgressStage::ScanBus:
        return texts("APP_PROGRESS_SCAN");
    case ProgressStage::SkdBackup:
        return fillMarks(texts("APP_PROGRESS_BACKUP"), {skd});
    case ProgressStage::SkdRestore:
        return fillMarks(texts("APP_PROGRESS_RESTORE"), {skd});
    case ProgressStage::Clean:
        return fillMarks(texts("APP_PROGRESS_CLEAN"), {skd});
    case ProgressStage::CheckCrc:
        return fillMarks(texts("APP_PROGRESS_CHECK"), {skd});
    }
    return std::string();
}

std::string progressLeftText(const CProgressReport& r, const ProgressTexts& texts)
{
    if (r.stageLeft == CProgressReport::kUnknown)
        return std::string();
    constexpr int64_t kSecond = 1'000'000'000;
    const int64_t job = r.jobLeft();
    if (job != CProgressReport::kUnknown && job / kSecond > r.stageLeft / kSecond)
        return fillMarks(texts("APP_PROGRESS_LEFT_JOB"), {progressClock(r.stageLeft), progressClock(job)});
    return fillMarks(texts("APP_PROGRESS_LEFT"), {progressClock(r.stageLeft)});
}

std::string progressClock(int64_t ns)
{
    const int64_t total = (std::max<int64_t>(0, ns) + 999'999'999) / 1'000'000'000;
    const long long h = total / 3600;
    const long long m = total / 60 % 60;
    const long long s = total % 60;
    char text[32];
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", m, s);
    return text;
}
