// The fleet's archive names: their order, a second backup within one second, and --keep,
// which must never touch a file that is not the archive's.
#include "cli/FleetArchive.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using testsupport::folderEntries;

TEST(FleetArchive, StampIsTheUtcTime)
{
    using namespace std::chrono;
    const sys_seconds t = sys_days{2026y / December / 11} + 1h + 30min + 5s;
    EXPECT_EQ(fleetarchive::utcStamp(t), "20261211T013005Z");
    EXPECT_EQ(fleetarchive::utcText(t), "2026-12-11T01:30:05Z");
}

TEST(FleetArchive, KeepRemovesOnlyTheOldestBackupsOfTheSite)
{
    testsupport::ScopedTempDir dir("nexo-archive");
    const std::vector<std::string> names = {
        "lobby-20261209T013000Z.mrk",
        "lobby-20261210T013000Z-failed.mrk",
        "lobby-20261210T013000Z.mrk",
        "lobby-20261211T013000Z.mrk",
        "lobby-20261211T013000Z-2.mrk",
        "lobby-20261211T013000Z-3-failed.mrk",
        "lobby-20261212T013000Z-failed.mrk",
        // Not the archive's: another site's name, no stamp, another extension, a note.
        "lobby-north-20261201T013000Z.mrk",
        "lobby-2026.mrk",
        "lobby-20261201T013000Z.txt",
        "notes.txt",
    };
    for (const std::string& n : names)
        ASSERT_TRUE(testsupport::writeFile(dir.path(n), "x"));

    const auto entries = fleetarchive::list(dir.dir(), "lobby");
    std::vector<std::string> order;
    for (const auto& e : entries)
        order.push_back(e.name);
    EXPECT_EQ(order, (std::vector<std::string>{names[0], names[2], names[1], names[3], names[4], names[5], names[6]}));

    EXPECT_EQ(fleetarchive::newBase(dir.dir(), "lobby", "20261211T013000Z"), "lobby-20261211T013000Z-4");
    EXPECT_EQ(fleetarchive::newBase(dir.dir(), "lobby", "20261213T013000Z"), "lobby-20261213T013000Z");
    EXPECT_EQ(fleetarchive::previousGood(dir.dir(), "lobby", "lobby-20261211T013000Z-2"), names[3]);
    EXPECT_EQ(fleetarchive::previousGood(dir.dir(), "lobby", "lobby-20261209T013000Z"), "");

    // Two good ones kept; the failed ones older than the older of them go.
    fleetarchive::prune(dir.dir(), "lobby", 2);
    std::vector<std::string> expected = {names[4], names[3], names[5], names[6], names[7], names[8], names[9], names[10]};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(dir.dir()), expected);
}

}  // namespace
