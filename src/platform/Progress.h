#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>

// How far the long steps of a job are: a channel beside the status lines, from the worker to
// the front ends through the dialog link. A report names the stage and its amount; a front
// end shows the latest one, so nothing here waits for the dialog thread.

enum class ProgressStage : uint8_t {
    None = 0,
    WaitGateway,  // the pause while the gateway restarts its bus side
    ConnectBus,   // one connect attempt to the bus-module port (and the pause after a failed one)
    Settle,       // the pause after the bus connect
    ScanBus,      // probing the eight SKD addresses
    SkdBackup,    // reading one SKD's template area
    SkdRestore,   // writing one SKD's (or every SKD's) template area
    Clean,        // cleaning an SKD and the pause after it
    CheckCrc,     // comparing an SKD's CRC with the saved one
};

enum class ProgressUnit : uint8_t {
    Bytes,  // done and total in bytes
    Steps,  // done and total in steps (addresses probed)
    Time,   // a wait: done and total in nanoseconds, done running with the clock
};

struct CProgressReport {
    using Clock = std::chrono::steady_clock;
    static constexpr int kAllSkds = -1;
    static constexpr int64_t kUnknown = -1;

    ProgressStage stage = ProgressStage::None;
    ProgressUnit unit = ProgressUnit::Steps;
    // A new number for every stage begun: progress only rises within one.
    uint32_t instance = 0;
    int skd = 0;          // the SKD number, kAllSkds, or 0
    int attempt = 0;      // ConnectBus: this attempt, of attempts
    int attempts = 0;
    uint64_t done = 0;
    uint64_t total = 0;
    // Time: the wait began at since; exact when total is its length, not only its limit
    // (a time-out), so that its end can be foretold.
    Clock::time_point since{};
    bool exact = true;
    Clock::time_point reportedAt{};
    // Nanoseconds, kUnknown where they cannot be known.
    int64_t stageLeft = kUnknown;
    // The rest of the job once this stage is over.
    int64_t afterStage = kUnknown;

    // The report as of now: a wait advances with the clock, the time left runs down.
    CProgressReport at(Clock::time_point now) const;
    // Stage left plus the rest of the job; kUnknown unless both are known.
    int64_t jobLeft() const;
    // done of total, 0 to 100.
    int percent() const;
};

// The words of a progress line, shared by the front ends. Texts are looked up by key
// ("APP_PROGRESS_SCAN", ...) in the front end's language; %1 and %2 in them take arguments.
using ProgressTexts = std::function<std::string(const char* key)>;

// "Backup of SKD 3", "Connecting to the bus port, attempt 2 of 3"; allSkds names every SKD.
std::string progressStageText(const CProgressReport& report, const ProgressTexts& texts, const std::string& allSkds);
// "0:42 left", "0:42 left (job 3:10)"; empty when the stage's time left is unknown. The job's
// time shows only when more than this stage is still to come.
std::string progressLeftText(const CProgressReport& report, const ProgressTexts& texts);
// m:ss, or h:mm:ss from an hour on; rounded up, so that 0:00 shows only at the end.
std::string progressClock(int64_t ns);
// text with %1, %2, ... replaced by the arguments.
std::string fillMarks(const std::string& text, std::initializer_list<std::string> args);

// The latest report, guarded by a small lock that is held only to copy it: a writer never
// waits for a reader to finish drawing.
class CProgressSlot
{
public:
    void post(const CProgressReport& report);
    // False when nothing was posted since the last clear.
    bool latest(CProgressReport& report) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    CProgressReport m_report;
    bool m_set = false;
};
