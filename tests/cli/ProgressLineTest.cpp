#include "cli/CProgressLine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

namespace {

std::string englishText(const char* key)
{
    const std::string k = key;
    if (k == "APP_PROGRESS_BACKUP")
        return "Backup of SKD %1";
    if (k == "APP_PROGRESS_WAIT_GATEWAY")
        return "Waiting for the NEXO";
    if (k == "APP_PROGRESS_LEFT")
        return "%1 left";
    if (k == "APP_PROGRESS_LEFT_JOB")
        return "%1 left (job %2)";
    return k;
}

CProgressReport transfer(uint64_t done)
{
    CProgressReport r;
    r.stage = ProgressStage::SkdBackup;
    r.unit = ProgressUnit::Bytes;
    r.skd = 3;
    r.done = done;
    r.total = 62000;
    return r;
}

}  // namespace

TEST(ProgressLine, TextOfAReport)
{
    using namespace std::chrono;
    CProgressReport known = transfer(24800);
    known.stageLeft = duration_cast<nanoseconds>(seconds(42)).count();
    known.afterStage = duration_cast<nanoseconds>(seconds(148)).count();
    CProgressReport wait;
    wait.stage = ProgressStage::WaitGateway;
    wait.unit = ProgressUnit::Time;
    wait.done = 60;
    wait.total = 60;
    wait.stageLeft = 0;

    const struct {
        const char* name;
        CProgressReport report;
        size_t columns;
        const char* line;
    } cases[] = {
        {"start of a transfer", transfer(0), 80, "[--------------------]   0%  Backup of SKD 3"},
        {"time left of the stage and the job", known, 80,
         "[########------------]  40%  Backup of SKD 3 \xE2\x80\x93 0:42 left (job 3:10)"},
        {"a wait at its end", wait, 80, "[####################] 100%  Waiting for the NEXO \xE2\x80\x93 0:00 left"},
        // One column less than the terminal has, counted in characters, not bytes.
        {"a narrow terminal", known, 49, "[########------------]  40%  Backup of SKD 3 \xE2\x80\x93 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(terminalProgressText(c.report, englishText, "[all]", c.columns), c.line);
    }
}

// The line is drawn in place, not drawn again unchanged, and taken away around everything
// else the tool writes; the streams only see it where it belongs.
TEST(ProgressLine, DrawnInPlaceAndClearedAroundOtherOutput)
{
    std::ostringstream err;
    std::ostringstream out;
    CProgressLine line(err);
    line.around([&] { out << "before any progress\n"; });
    EXPECT_EQ(err.str(), "");

    line.show("[#---] 25%");
    line.show("[#---] 25%");
    line.show("[##--] 50%");
    line.around([&] { out << "a status line\n"; });
    line.around([&] { out << "a new stage\n"; }, "[###-] 75%");
    line.clear();
    line.around([&] { out << "after the job\n"; });

    EXPECT_EQ(err.str(), "\r[#---] 25%\033[K"
                         "\r[##--] 50%\033[K"
                         "\r\033[K"              // cleared before the status line
                         "\r[##--] 50%\033[K"    // and back after it
                         "\r\033[K"
                         "\r[###-] 75%\033[K"    // or as it stands now
                         "\r\033[K");            // gone at the end
    EXPECT_EQ(out.str(), "before any progress\na status line\na new stage\nafter the job\n");
}

// The drawing thread reads the latest report under the line's lock: a status line written
// while it reads is put back after it, so the newer stage is the one left standing.
TEST(ProgressLine, NeverDrawsAnOlderStageOverANewerOne)
{
    std::ostringstream err;
    std::ostringstream out;
    CProgressLine line(err);
    std::atomic<int> stage{1};
    std::atomic<bool> reading{false};
    line.setSource([&] {
        const int seen = stage.load();
        reading = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a slow reader, a loaded machine
        return "stage " + std::to_string(seen);
    });
    line.show("stage 0");
    std::thread drawer([&] { line.redraw(); });
    while (!reading)
        std::this_thread::yield();
    stage = 2;  // the worker begins the next stage and posts its line
    line.around([&] { out << "a status line\n"; });
    drawer.join();
    const std::string drawn = err.str();
    EXPECT_EQ(drawn.substr(drawn.rfind('\r')), "\rstage 2\033[K") << drawn;
}

// A console without escape sequences: the line is rubbed out with as many spaces as it showed,
// and a shorter line covers the rest of a longer one.
TEST(ProgressLine, WithoutEscapesRubbedOutWithSpaces)
{
    std::ostringstream err;
    CProgressLine line(err, false);
    line.show("[##] 50% \xC3\xA4");  // 10 characters in 11 bytes
    line.show("[##] 5%");
    line.around([] {});
    line.show("ab");
    line.clear();
    EXPECT_EQ(err.str(), "\r[##] 50% \xC3\xA4"
                         "\r[##] 5%   "
                         "\r          \r"   // taken away around other output
                         "\r[##] 5%"
                         "\rab     "
                         "\r       \r");
    EXPECT_EQ(err.str().find('\033'), std::string::npos);
}
