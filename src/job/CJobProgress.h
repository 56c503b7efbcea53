#pragma once

#include "job/CTimer.h"
#include "platform/Progress.h"

#include <chrono>
#include <cstdint>

class CDialogLink;

// The worker's side of the progress channel: begins stages, counts them up and sends each
// change to the dialog link, which keeps only the latest (platform/Progress.h). It also
// foretells, where it can, the time left: a pause's end exactly, a transfer's from the rate
// measured so far, the job's from what the sequence says is still ahead of it.
//
// Without a link every call returns at once: progress reporting is off. One thread at a time.
class CJobProgress
{
public:
    explicit CJobProgress(CDialogLink* link = nullptr) : m_link(link) {}

    void setLink(CDialogLink* link) { m_link = link; }
    bool enabled() const { return m_link != nullptr; }

    // A wait of ms through the time scale: a Pause is the wait's length, a Timeout only its
    // limit. For the SKD skd (a number, CProgressReport::kAllSkds, or 0).
    void beginWait(ProgressStage stage, uint32_t ms, CTimer::Kind kind, int skd = 0);
    // One connect attempt of attempts, limited to timeoutMs.
    void beginAttempt(int attempt, int attempts, uint32_t timeoutMs);
    // The open part of the current wait is over: its stage ends now, or after a pause of
    // pauseMs that follows in the same stage.
    void endWait(uint32_t pauseMs = 0);

    // A stage counted in bytes or steps, from 0 to total.
    void beginCount(ProgressStage stage, ProgressUnit unit, uint64_t total, int skd = 0);
    // done so far; never less than before.
    void advance(uint64_t done);

    // What the job still does once the current stage is over: waits of a fixed length, and
    // transfers of transferBytes each, foretold at the rate of the transfers so far.
    void setAhead(std::chrono::nanoseconds fixed, int transfers, uint64_t transferBytes);
    void clearAhead() { m_aheadKnown = false; }

    const CProgressReport& current() const { return m_report; }
    // Bytes per second of the transfers so far; 0 before one has been measured.
    double rate() const { return m_rate; }

private:
    using Clock = CProgressReport::Clock;

    void begin(ProgressStage stage, ProgressUnit unit, uint64_t total, int skd);
    void post(Clock::time_point now);
    int64_t afterStage() const;

    CDialogLink* m_link;
    CProgressReport m_report;
    uint32_t m_instance = 0;

    bool m_aheadKnown = false;
    std::chrono::nanoseconds m_aheadFixed{0};
    int m_aheadTransfers = 0;
    uint64_t m_aheadBytes = 0;
    double m_rate = 0;
};
