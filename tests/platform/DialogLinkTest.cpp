#include "platform/DialogLink.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

TEST(DialogLink, RequestsReachHandlersInOrderFromAnyThread)
{
    testsupport::FakeDialog dialog;
    dialog.filePath = "/tmp/x.mrk";
    std::thread worker([&] {
        dialog.addLine("uno");
        EXPECT_EQ(dialog.sendMessage(WM_ASK_PASSWORD), 1);
        std::string path;
        EXPECT_TRUE(dialog.chooseFile(1, path));
        EXPECT_EQ(path, "/tmp/x.mrk");
        dialog.messageBox("caja");
        dialog.addLine("dos");
        dialog.sendMessage(WM_JOB_DONE);
    });
    worker.join();
    EXPECT_EQ(dialog.lines(), (std::vector<std::string>{"uno", "dos"}));
    EXPECT_EQ(dialog.messages(), (std::vector<unsigned>{WM_ASK_PASSWORD, WM_JOB_DONE}));
    EXPECT_EQ(dialog.boxes(), std::vector<std::string>{"caja"});
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

TEST(DialogLink, CancelledFileDialog)
{
    testsupport::FakeDialog dialog;
    std::string path = "keep";
    EXPECT_FALSE(dialog.chooseFile(2, path));
    EXPECT_EQ(path, "keep");
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
