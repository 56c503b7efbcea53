#include "platform/DialogLink.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

// The direct link with handlers that keep no lock of their own: only the link keeps two
// requests apart. A handler that finds another one running counts an overlap.
class RecordingLink : public CDirectDialogLink
{
public:
    struct Entry {
        int thread;
        int sequence;
    };
    std::vector<Entry> handled;  // guarded by the link alone
    std::atomic<int> overlaps{0};

protected:
    void onStatusLine(const std::string& line) override { record(line); }
    long onMessage(unsigned, long wParam, long lParam) override
    {
        record(wParam, lParam);
        return wParam * 100000 + lParam;  // the answer belongs to this request only
    }
    bool onChooseFile(int jobMode, std::string& path) override
    {
        path = std::to_string(jobMode);
        record(jobMode / 100000, jobMode % 100000);
        return true;
    }
    void onMessageBox(const std::string& text) override { record(text); }

private:
    void record(const std::string& text)
    {
        const auto dash = text.find('-');
        record(std::stol(text.substr(0, dash)), std::stol(text.substr(dash + 1)));
    }
    void record(long thread, long sequence)
    {
        if (m_busy.exchange(true))
            ++overlaps;
        std::this_thread::yield();  // room for another request to break in
        handled.push_back({static_cast<int>(thread), static_cast<int>(sequence)});
        m_busy = false;
    }

    std::atomic<bool> m_busy{false};
};

}  // namespace

// Several workers at once: one request at a time, each caller gets its own answer, and each
// thread's requests are handled in the order it made them.
TEST(DialogLink, DirectLinkServesSeveralThreadsOneRequestAtATime)
{
    RecordingLink link;
    constexpr int kThreads = 4;
    constexpr int kRequests = 400;
    std::atomic<int> wrongAnswers{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < kRequests; ++i) {
                const std::string tag = std::to_string(t) + "-" + std::to_string(i);
                switch (i % 4) {
                case 0:
                    if (link.sendMessage(WM_ASK_PASSWORD, t, i) != t * 100000L + i)
                        ++wrongAnswers;
                    break;
                case 1: {
                    std::string path;
                    if (!link.chooseFile(t * 100000 + i, path) || path != std::to_string(t * 100000 + i))
                        ++wrongAnswers;
                    break;
                }
                case 2: link.addLine(tag); break;
                default: link.messageBox(tag); break;
                }
            }
        });
    for (std::thread& w : workers)
        w.join();

    EXPECT_EQ(link.overlaps, 0);
    EXPECT_EQ(wrongAnswers, 0);
    ASSERT_EQ(link.handled.size(), size_t(kThreads * kRequests));
    std::vector<int> next(kThreads, 0);
    for (const RecordingLink::Entry& e : link.handled) {
        ASSERT_TRUE(e.thread >= 0 && e.thread < kThreads) << e.thread;
        EXPECT_EQ(e.sequence, next[e.thread]++) << "thread " << e.thread;
    }
}

TEST(DialogLink, RequestFromInsideHandlerRunsAtOnce)
{
    testsupport::FakeDialog dialog;
    // The SKD choice handler posts status lines while it scans the bus.
    dialog.onMessageHandler = [&](unsigned) {
        dialog.addLine("durante la búsqueda");
        return 7L;
    };
    EXPECT_EQ(dialog.sendMessage(WM_SKD_CHOOSE), 7);
    EXPECT_EQ(dialog.lines(), std::vector<std::string>{"durante la búsqueda"});
}

// A report returns at once even while the dialog thread is busy in a handler, and the dialog
// side gets the latest one only.
TEST(DialogLink, ProgressNeverWaitsForTheDialogThread)
{
    testsupport::FakeDialog dialog;
    std::promise<void> inHandler;
    std::promise<void> release;
    dialog.onMessageHandler = [&](unsigned) {
        inHandler.set_value();
        release.get_future().wait();
        return 1L;
    };
    std::thread prompt([&] { dialog.sendMessage(WM_ASK_PASSWORD); });
    inHandler.get_future().wait();

    std::thread worker([&] {
        CProgressReport r;
        r.stage = ProgressStage::SkdBackup;
        r.unit = ProgressUnit::Bytes;
        r.total = 62000;
        for (uint64_t done = 128; done <= 1280; done += 128) {
            r.done = done;
            dialog.reportProgress(r);
        }
    });
    worker.join();  // would hang here if a report waited for the handler
    release.set_value();
    prompt.join();

    CProgressReport latest;
    ASSERT_TRUE(dialog.progressNow(latest));
    EXPECT_EQ(latest.done, 1280u);
    EXPECT_EQ(dialog.progressReports().size(), 10u);
    dialog.clearProgress();
    EXPECT_FALSE(dialog.progressNow(latest));
}

// What a front end shows of a report some time after it was made.
TEST(Progress, ReportAsOfLater)
{
    using namespace std::chrono;
    using Clock = CProgressReport::Clock;
    const Clock::time_point t0 = Clock::now();
    constexpr int64_t kUnknown = CProgressReport::kUnknown;
    const int64_t s = duration_cast<nanoseconds>(seconds(1)).count();

    struct Case {
        const char* name;
        ProgressUnit unit;
        bool exact;
        uint64_t done, total;
        int64_t stageLeft, afterStage;
        seconds later;
        uint64_t wantDone;
        int64_t wantStageLeft, wantJobLeft;
        int wantPercent;
    } cases[] = {
        {"a pause advances with the clock", ProgressUnit::Time, true, 0, 60 * s, 60 * s, kUnknown, seconds(15), 15 * s,
         45 * s, kUnknown, 25},
        {"a pause stops at its length", ProgressUnit::Time, true, 0, 10 * s, 10 * s, 5 * s, seconds(12), 10 * s, 0,
         5 * s, 100},
        {"a time-out has no time left", ProgressUnit::Time, false, 0, 30 * s, kUnknown, 5 * s, seconds(3), 3 * s,
         kUnknown, kUnknown, 10},
        {"a transfer's time left runs down", ProgressUnit::Bytes, true, 31000, 62000, 20 * s, 4 * s, seconds(5), 31000,
         15 * s, 19 * s, 50},
        {"and not below zero", ProgressUnit::Bytes, true, 31000, 62000, 2 * s, 0, seconds(5), 31000, 0, 0, 50},
        {"an unknown time left stays unknown", ProgressUnit::Steps, true, 3, 8, kUnknown, 0, seconds(5), 3, kUnknown,
         kUnknown, 37},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CProgressReport r;
        r.unit = c.unit;
        r.exact = c.exact;
        r.done = c.done;
        r.total = c.total;
        r.stageLeft = c.stageLeft;
        r.afterStage = c.afterStage;
        r.since = t0;
        r.reportedAt = t0;
        const CProgressReport later = r.at(t0 + c.later);
        EXPECT_EQ(later.done, c.wantDone);
        EXPECT_EQ(later.stageLeft, c.wantStageLeft);
        EXPECT_EQ(later.jobLeft(), c.wantJobLeft);
        EXPECT_EQ(later.percent(), c.wantPercent);
        // Asked again for the same moment, nothing runs down twice.
        EXPECT_EQ(later.at(t0 + c.later).stageLeft, c.wantStageLeft);
    }
}
