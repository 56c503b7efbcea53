#include "BusFixture.h"
#include "Simulator.h"

#include "bus/CKandoProtocol.h"
#include "platform/TimeScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <random>
#include <thread>

using Bytes = std::vector<uint8_t>;

namespace {

using bustest::kBusPort;
constexpr size_t kArea = 62000;
// Where a test counts requests exactly, no good reply may miss its wait on a loaded machine:
// 200 ms per chunk instead of the 50 ms floor.
constexpr double kExactCountScale = 0.2;

Bytes randomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

class SkdJob : public bustest::BusTest
{
protected:
    void TearDown() override
    {
        m_protocol.reset();
        BusTest::TearDown();
        m_sim.reset();
    }

    // A simulator on an address of its own, with the bus connection and a fresh protocol
    // object (one per job) attached to it.
    sim::Simulator& startSim(std::vector<int> skds, sim::Faults faults = {}, uint32_t seed = 1)
    {
        m_protocol.reset();
        delete getKandoNetwork();
        m_sim.reset();
        sim::Config config;
        config.address = nextAddress();
        config.skds = std::move(skds);
        config.seed = seed;
        config.timeScale = 0.001;
        config.faults = std::move(faults);
        m_sim = std::make_unique<sim::Simulator>(config);
        std::string error;
        EXPECT_TRUE(m_sim->start(&error)) << error;
        EXPECT_TRUE(getKandoNetwork()->connect(config.address, kBusPort, 30000));
        m_protocol = std::make_unique<CKandoProtocol>();
        m_protocol->init(&m_dialog);
        return *m_sim;
    }

    // As the job runs it, with the file written out and read back from disk.
    void backup(const std::vector<std::string>& list, uint32_t master)
    {
        m_protocol->storeChoice(1, &list, master);
        m_protocol->runSKDJob(108.0f, 1);
        reopenFile();
    }

    void restore()
    {
        m_protocol->runSKDJob(108.0f, 2);
    }

    // The file manager on an empty backup file again.
    void startEmptyFile()
    {
        delete getFileManager();
        std::remove(m_file.c_str());
        getFileManager()->open(m_file);
    }

    void reopenFile()
    {
        getFileManager()->flush();
        delete getFileManager();
        getFileManager()->open(m_file);
    }

    // A restore file made by hand: image, and CRC of the SKD memory it should produce.
    void writeImage(int n, const Bytes& image, bool withCrc = true)
    {
        CFileManager* file = getFileManager();
        file->setInt("SKD" + std::to_string(n) + ".DataLength", static_cast<int32_t>(image.size()));
        file->writeData("SKD" + std::to_string(n) + ".Data", image.data(), image.size());
        if (withCrc) {
            Bytes memory = image;
            memory.resize(kArea, 0x00);
            const Bytes crc = sim::Simulator::crcRecord(memory);
            file->writeData("SKD" + std::to_string(n) + ".CRC", crc.data(), crc.size());
        }
    }

    Bytes fileData(const std::string& key)
    {
        Bytes out(63000);
        size_t decoded = 0;
        if (!getFileManager()->readData(key, out.data(), out.size(), &decoded))
            return {};
        out.resize(decoded);
        return out;
    }

    int requests(uint8_t code, uint8_t destination) const
    {
        const auto all = m_sim->busRequests();
        return static_cast<int>(std::count_if(all.begin(), all.end(), [&](const sim::BusRequest& r) {
            return r.code == code && r.destination == destination;
        }));
    }

    // The simulator serves its port on a thread of its own: the last requests may still be on
    // their way when the sequence returns.
    void waitForRequests(uint8_t code, uint8_t destination, int count) const
    {
        for (int i = 0; i < 2000 && requests(code, destination) < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    int requestsWithCode(uint8_t code) const
    {
        const auto all = m_sim->busRequests();
        return static_cast<int>(
            std::count_if(all.begin(), all.end(), [&](const sim::BusRequest& r) { return r.code == code; }));
    }

    std::unique_ptr<sim::Simulator> m_sim;
    std::unique_ptr<CKandoProtocol> m_protocol;
};

// The report names the SKD whose image the file cannot give.
std::string fileDamaged(int number)
{
    return "ERROR -- restoreSKD (Error: SKD " + std::to_string(number) +
           " no se ha restablecido correctamente -> El archivo de copia de seguridad está dañado.[100009])";
}

std::string failedBox(const std::string& list)
{
    return "Error: SKD " + list + " no se ha restablecido correctamente";
}

}  // namespace

// ---------------------------------------------------------------- backup

TEST_F(SkdJob, FullBackupOfTwoSkds)
{
    testsupport::ScopedTimeScale scale{kExactCountScale};
    sim::Simulator& sim = startSim({1, 2});
    m_protocol->setProgMode(1);
    backup({"1", "2"}, 0);
    m_protocol->setProgMode(0);
    m_protocol->resetBus(0xCF);
    waitForRequests(0x01, 0xCF, 1);

    const auto skds = sim.skds();
    EXPECT_EQ(getFileManager()->getInt("SKD0.MASTER"), 192);
    for (int n : {1, 2}) {
        SCOPED_TRACE(n);
        const uint8_t address = static_cast<uint8_t>(192 + n);
        EXPECT_EQ(requests(0x03, address), 485);
        EXPECT_EQ(requests(0x04, address), 485);
        const std::string key = "SKD" + std::to_string(n) + ".";
        EXPECT_EQ(getFileManager()->getInt(key + "DataLength"), 62000);
        EXPECT_EQ(fileData(key + "Data"), skds.at(n).memory);
        EXPECT_EQ(fileData(key + "CFG"), skds.at(n).cfg);
        EXPECT_EQ(fileData(key + "CRC"), sim::Simulator::crcRecord(skds.at(n).memory));
    }
    EXPECT_EQ(requests(0x07, 0xFF), 3);
    EXPECT_EQ(requests(0x08, 0xFF), 3);
    EXPECT_EQ(requests(0x01, 0xCF), 1);
    EXPECT_EQ(sim.frameViolations(), 0);
    EXPECT_EQ(linesWith("Creando copia de seguridad de SKD "), 2);
    EXPECT_EQ(linesWith("Terminada copia de seguridad de SKD "), 2);
    EXPECT_EQ(linesWith("ERROR"), 0);
}

TEST_F(SkdJob, MasterBackupReadsTheMasterOnly)
{
    testsupport::ScopedTimeScale scale{kExactCountScale};
    sim::Simulator& sim = startSim({1, 2, 3});
    backup({"1", "2", "3"}, 3);

    EXPECT_EQ(getFileManager()->getInt("SKD0.MASTER"), 195);
    EXPECT_EQ(requestsWithCode(0x03), 485);
    EXPECT_EQ(requests(0x03, 0xC3), 485);
    EXPECT_EQ(requestsWithCode(0x71), 1);
    EXPECT_EQ(fileData("SKD3.Data"), sim.skds().at(3).memory);
    for (const char* key : {"SKD1.DataLength", "SKD2.DataLength", "SKD1.CFG", "SKD2.CRC"})
        EXPECT_FALSE(getFileManager()->containsKey(key)) << key;
}

TEST_F(SkdJob, SilentSkd)
{
    sim::Faults faults;
    faults.silentSkds = {1};
    startSim({1}, faults);
    backup({"1"}, 0);

    EXPECT_EQ(requests(0x03, 0xC1), 6);
    EXPECT_EQ(requests(0x04, 0xC1), 0);
    EXPECT_EQ(linesWith("Error: ¡El SKD 1 no responde!"), 4);  // compDB, transfer, configuration, CRC
    // The report names the SKD and carries the time-out, not the connect error.
    EXPECT_EQ(linesWith("ERROR -- compDB (Error: ¡El SKD 1 no responde! -> Error inespecífico.[10035])"), 1);
    EXPECT_EQ(linesWith("ERROR -- backupSKDCfg (Error: ¡El SKD 1 no responde!"), 1);
    EXPECT_EQ(linesWith("ERROR -- backupSKDCrc (Error: ¡El SKD 1 no responde!"), 1);
    EXPECT_TRUE(getFileManager()->containsKey("SKD64.DataLength"));
    EXPECT_EQ(getFileManager()->getInt("SKD64.DataLength"), 0);
    EXPECT_FALSE(getFileManager()->containsKey("SKD64.Data"));
    EXPECT_EQ(linesWith("Terminada copia de seguridad de SKD 1"), 1);
}

// A reply that is lost, broken or empty is asked for again; the image holds exactly the SKD's bytes.
TEST_F(SkdJob, BackupRecoversFromBadReplies)
{
    testsupport::ScopedTimeScale scale{kExactCountScale};
    struct Case {
        const char* name;
        sim::Faults faults;
        int reads;
        int writes;
    } cases[] = {
        {"wrong checksum on a read", [] { sim::Faults f; f.badChecksumCode = 0x03; f.badChecksumIndex = 5; return f; }(),
         486, 485},
        {"read reply without data", [] { sim::Faults f; f.emptyReadIndex = 7; return f; }(), 486, 485},
        {"lost read reply", [] { sim::Faults f; f.dropReplyCode = 0x03; f.dropReplyIndex = 10; return f; }(), 486, 485},
        {"lost write-back reply", [] { sim::Faults f; f.dropReplyCode = 0x04; f.dropReplyIndex = 3; return f; }(),
         485, 486},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialog.clear();
        sim::Simulator& sim = startSim({2}, c.faults);
        backup({"2"}, 0);
        EXPECT_EQ(requests(0x03, 0xC2), c.reads);
        EXPECT_EQ(requests(0x04, 0xC2), c.writes);
        EXPECT_EQ(getFileManager()->getInt("SKD2.DataLength"), 62000);
        EXPECT_TRUE(fileData("SKD2.Data") == sim.skds().at(2).memory);
        EXPECT_EQ(linesWith("no responde"), 0);
    }
}

TEST_F(SkdJob, RepliesSplitAcrossSegments)
{
    sim::Faults faults;
    faults.splitReplies = true;
    sim::Simulator& sim = startSim({2, 5}, faults);
    std::vector<std::string> list;
    EXPECT_EQ(m_protocol->listBusSKD(list), 2);
    EXPECT_EQ(list, (std::vector<std::string>{"2", "5"}));
    m_protocol->backupSKDCrc(0xC5);
    EXPECT_EQ(fileData("SKD5.CRC"), sim::Simulator::crcRecord(sim.skds().at(5).memory));
}

TEST_F(SkdJob, UnwritableFileIsReportedAndTheSequenceGoesOn)
{
    delete getFileManager();
    getFileManager()->open(m_temp.path("no-such-folder/skd.mrk"));
    startSim({1});
    const std::vector<std::string> list{"1"};
    m_protocol->storeChoice(1, &list, 0);
    m_protocol->runSKDJob(108.0f, 1);

    EXPECT_EQ(linesWith("ERROR -- writeData (Error de archivo -> Error inespecífico.[2])"), 3);  // Data, CFG, CRC
    EXPECT_EQ(requests(0x5E, 0xC1), 1);
    EXPECT_EQ(requests(0x06, 0xC1), 1);
    EXPECT_EQ(linesWith("Terminada copia de seguridad de SKD 1"), 1);
}

// ---------------------------------------------------------------- restore

TEST_F(SkdJob, RestoreSingleMode)
{
    sim::Simulator& sim = startSim({1, 3});
    backup({"1", "3"}, 0);
    const auto saved = sim.skds();
    sim.setSkdMemory(1, Bytes(kArea, 0x00));
    sim.setSkdMemory(3, randomBytes(kArea, 99));

    m_protocol = std::make_unique<CKandoProtocol>();
    m_protocol->init(&m_dialog);
    m_dialog.clear();
    restore();

    const auto now = sim.skds();
    EXPECT_TRUE(now.at(1).memory == saved.at(1).memory);
    EXPECT_TRUE(now.at(3).memory == saved.at(3).memory);
    EXPECT_EQ(requests(0x5A, 0xC1), 1);
    EXPECT_EQ(requests(0x5A, 0xC3), 1);
    EXPECT_EQ(requests(0x60, 0xC1), 1);
    EXPECT_TRUE(m_dialog.boxes().empty());
    EXPECT_EQ(linesWith("Error"), 0);
    EXPECT_EQ(linesWith("Terminada restauración del SKD 3."), 1);
    EXPECT_EQ(sim.frameViolations(), 0);
}

TEST_F(SkdJob, RestoreMasterMode)
{
    sim::Simulator& sim = startSim({1, 2, 3});
    backup({"1", "2", "3"}, 2);
    const auto saved = sim.skds();
    for (int n : {1, 2, 3})
        sim.setSkdMemory(n, randomBytes(kArea, 100 + n));
    const int masterWrites = requests(0x04, 0xC2);

    m_protocol = std::make_unique<CKandoProtocol>();
    m_protocol->init(&m_dialog);
    m_dialog.clear();
    restore();

    const auto now = sim.skds();
    for (int n : {1, 2, 3}) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(now.at(n).memory == saved.at(2).memory);
        EXPECT_EQ(now.at(n).cfg, saved.at(2).cfg);
        EXPECT_EQ(requests(0x5A, static_cast<uint8_t>(192 + n)), 1);
        EXPECT_EQ(requests(0x04, static_cast<uint8_t>(192 + n)), n == 2 ? masterWrites : 0);
    }
    EXPECT_EQ(requests(0x04, 0xCF), 485);
    EXPECT_EQ(requests(0x60, 0xCF), 1);
    EXPECT_TRUE(m_dialog.boxes().empty());
    EXPECT_EQ(linesWith("Error"), 0);
    EXPECT_EQ(linesWith("Terminada restauración del SKD [todos]."), 1);
}

TEST_F(SkdJob, CrcMismatchListsTheFailingSkds)
{
    startSim({1, 2, 3});
    backup({"1", "2", "3"}, 0);
    sim::Faults faults;
    faults.ignoreWrites = {1, 3};
    startSim({1, 2, 3}, faults);
    restore();

    EXPECT_EQ(linesWith(failedBox("1")), 1);
    EXPECT_EQ(linesWith(failedBox("3")), 1);
    EXPECT_EQ(linesWith(failedBox("2")), 0);
    EXPECT_EQ(m_dialog.boxes(), (std::vector<std::string>{failedBox("1, 3")}));
}

TEST_F(SkdJob, WarningsForSkdsOnOneSideOnly)
{
    startSim({1, 2});
    backup({"1", "2"}, 0);
    ASSERT_EQ(getFileManager()->getInt("SKD0.MASTER"), 192);  // loads the file before the change
    getFileManager()->setInt("SKD0.MASTER", 0);  // as if missing: 160 is posted only then
    sim::Simulator& sim = startSim({2, 3}, {}, 7);
    restore();

    EXPECT_EQ(linesWith("Aviso: ¡El SKD 1 existe sólo en el archivo de copia de seguridad!"), 1);
    EXPECT_EQ(linesWith("Aviso: ¡El SKD 3 existe sólo en el bus!"), 1);
    EXPECT_EQ(linesWith("Aviso: ¡El SKD 2"), 0);
    EXPECT_EQ(fileData("SKD2.Data"), sim.skds().at(2).memory);
    // SKD 1 is still tried and, being absent, ends in the box; the report carries the time-out.
    EXPECT_EQ(linesWith("ERROR -- checkSKDCrc (Error: ¡El SKD 1 no responde! -> Error inespecífico.[10035])"), 1);
    EXPECT_EQ(m_dialog.boxes(), (std::vector<std::string>{failedBox("1")}));
}

TEST_F(SkdJob, UnusableImageTouchesNoSkd)
{
    struct Case {
        const char* name;
        int master;
        int number;
        int32_t storedLength;
        size_t dataBytes;  // 0: no Data item
    } cases[] = {
        {"stored length 0", 192, 1, 0, 0},
        {"stored length above the buffer", 192, 1, 70000, 100},
        {"Data item missing", 192, 1, 62000, 0},
        {"Data shorter than its length", 192, 1, 62000, 100},
        {"Data longer than its length", 192, 1, 62000, 62001},
        // A backup that stopped halfway: cleaning the SKD and writing zeros after it would
        // lose the memory the SKD still has.
        {"image cut short", 192, 1, 31000, 31000},
        {"master image of length 0", 195, 3, 0, 0},
        {"master image cut short", 195, 3, 1000, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialog.clear();
        startEmptyFile();
        CFileManager* file = getFileManager();
        const std::string key = "SKD" + std::to_string(c.number) + ".";
        file->setInt("SKD0.MASTER", c.master);
        file->setInt(key + "DataLength", c.storedLength);
        const Bytes data = randomBytes(c.dataBytes, 5);
        if (c.dataBytes > 0)
            file->writeData(key + "Data", data.data(), data.size());
        const Bytes crc(5, 0x42);
        file->writeData(key + "CRC", crc.data(), crc.size());

        sim::Simulator& sim = startSim({1, 3});
        const auto before = sim.skds();
        restore();

        EXPECT_EQ(linesWith(fileDamaged(c.number)), 1);
        EXPECT_EQ(linesWith("existe sólo en el bus"), 0);  // a master value was stored
        EXPECT_EQ(requestsWithCode(0x5A), 0);
        EXPECT_EQ(requestsWithCode(0x04), 0);
        EXPECT_EQ(requestsWithCode(0x60), 0);
        EXPECT_TRUE(sim.skds().at(1).memory == before.at(1).memory);
        EXPECT_EQ(m_dialog.boxes(), (std::vector<std::string>{failedBox(std::to_string(c.number))}));
    }
}

TEST_F(SkdJob, UnacknowledgedChunkIsSentAgain)
{
    testsupport::ScopedTimeScale scale{kExactCountScale};
    const Bytes image = randomBytes(kArea, 21);
    getFileManager()->setInt("SKD0.MASTER", 192);
    writeImage(1, image);
    reopenFile();
    sim::Faults faults;
    faults.dropReplyCode = 0x04;
    faults.dropReplyIndex = 10;
    sim::Simulator& sim = startSim({1}, faults);
    restore();

    EXPECT_EQ(requests(0x04, 0xC1), 486);
    EXPECT_TRUE(sim.skds().at(1).memory == image);
    EXPECT_TRUE(m_dialog.boxes().empty());
}

TEST_F(SkdJob, MissingCrcFailsTheCheck)
{
    struct Case {
        const char* name;
        int master;
        int number;
        std::string box;
        int failedLines;
    } cases[] = {
        {"single mode", 192, 1, failedBox("1"), 1},
        {"master mode", 195, 3, failedBox("1, 2, 3"), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialog.clear();
        startEmptyFile();
        getFileManager()->setInt("SKD0.MASTER", c.master);
        writeImage(c.number, randomBytes(kArea, 31), false);
        reopenFile();
        startSim({1, 2, 3});
        restore();

        EXPECT_EQ(requestsWithCode(0x06), 0);
        EXPECT_EQ(linesWith("no se ha restablecido correctamente"), c.failedLines);
        EXPECT_EQ(m_dialog.boxes(), (std::vector<std::string>{c.box}));
    }
}

// ---------------------------------------------------------------- progress

namespace {

struct StageKey {
    ProgressStage stage;
    int skd;
};

constexpr int kAll = CProgressReport::kAllSkds;

}  // namespace

// Every stage the sequences report, in order; within each the amount only rises, a completed
// transfer ends at the whole template area and a wait ends with its length known.
TEST_F(SkdJob, ProgressRisesWithinEachStage)
{
    using S = ProgressStage;
    struct Case {
        const char* name;
        std::vector<int> skds;
        int master;
        bool restore;
        std::vector<StageKey> stages;
    } cases[] = {
        {"backup of two SKDs", {1, 2}, 0, false, {{S::SkdBackup, 1}, {S::SkdBackup, 2}}},
        {"restore, one SKD after the other", {1, 2}, 0, true,
         {{S::ScanBus, 0}, {S::Clean, 1}, {S::SkdRestore, 1}, {S::CheckCrc, 1}, {S::Clean, 2}, {S::SkdRestore, 2},
          {S::CheckCrc, 2}}},
        {"restore of a master to all SKDs", {1, 2}, 2, true,
         {{S::ScanBus, 0}, {S::ScanBus, 0}, {S::Clean, 1}, {S::Clean, 2}, {S::Clean, kAll}, {S::SkdRestore, kAll},
          {S::ScanBus, 0}, {S::CheckCrc, 1}, {S::CheckCrc, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startEmptyFile();
        startSim(c.skds);
        CJobProgress progress(&m_dialog);
        m_protocol->setProgress(&progress);
        std::vector<std::string> list;
        for (int n : c.skds)
            list.push_back(std::to_string(n));
        backup(list, static_cast<uint32_t>(c.master));
        if (c.restore) {
            m_protocol = std::make_unique<CKandoProtocol>();
            m_protocol->init(&m_dialog);
            m_protocol->setProgress(&progress);
            m_dialog.clear();
            restore();
        }
        EXPECT_TRUE(m_dialog.boxes().empty());

        const auto stages = testsupport::progressStages(m_dialog.progressReports());
        ASSERT_EQ(stages.size(), c.stages.size());
        for (size_t i = 0; i < stages.size(); ++i) {
            SCOPED_TRACE(i);
            const std::vector<CProgressReport>& reports = stages[i];
            EXPECT_EQ(reports.front().stage, c.stages[i].stage);
            EXPECT_EQ(reports.front().skd, c.stages[i].skd);
            for (size_t k = 1; k < reports.size(); ++k) {
                ASSERT_EQ(reports[k].stage, reports[0].stage);
                ASSERT_GE(reports[k].done, reports[k - 1].done) << "report " << k;
                ASSERT_LE(reports[k].done, reports[k].total) << "report " << k;
            }
            const CProgressReport& last = reports.back();
            switch (last.unit) {
            case ProgressUnit::Bytes:
                EXPECT_EQ(last.total, kArea);
                EXPECT_EQ(last.done, kArea);
                EXPECT_EQ(last.percent(), 100);
                EXPECT_EQ(last.stageLeft, 0);
                break;
            case ProgressUnit::Steps:
                EXPECT_EQ(last.done, 8u);
                EXPECT_EQ(last.total, 8u);
                break;
            case ProgressUnit::Time:
                EXPECT_TRUE(last.exact);
                EXPECT_NE(last.stageLeft, CProgressReport::kUnknown);
                break;
            }
        }
    }
}

// Restoring one SKD alone, the pause after its clean belongs to the clean's stage: the line
// must not stand at its end ("0:00 left") for the whole pause.
TEST_F(SkdJob, ProgressOfOneSkdAloneCoversTheCleanPause)
{
    startEmptyFile();
    startSim({1, 2});
    backup({"1", "2"}, 0);
    m_protocol = std::make_unique<CKandoProtocol>();
    m_protocol->init(&m_dialog);
    CJobProgress progress(&m_dialog);
    m_protocol->setProgress(&progress);
    m_protocol->setRestoreOnly(2);
    m_dialog.clear();
    restore();
    EXPECT_TRUE(m_dialog.boxes().empty());

    bool cleanSeen = false;
    for (const auto& reports : testsupport::progressStages(m_dialog.progressReports())) {
        if (reports.front().stage != ProgressStage::Clean)
            continue;
        cleanSeen = true;
        EXPECT_EQ(reports.front().skd, 2);
        // Its last report, at the clean's reply, still has the whole pause ahead.
        EXPECT_GE(reports.back().stageLeft, scaledPause(bus::PAUSE_CLEAN_ONE).count());
    }
    EXPECT_TRUE(cleanSeen);
}

// Once a transfer has shown its rate, the job's time left is foretold: the first of two SKDs
// still has the second one's transfer ahead of it, the second only the closing waits.
TEST_F(SkdJob, ProgressForetellsTheTimeLeft)
{
    startSim({1, 2});
    CJobProgress progress(&m_dialog);
    m_protocol->setProgress(&progress);
    backup({"1", "2"}, 0);

    const auto stages = testsupport::progressStages(m_dialog.progressReports());
    ASSERT_EQ(stages.size(), 2u);
    for (const auto& reports : stages) {
        // Unknown at first, known from the middle of the transfer on.
        EXPECT_EQ(reports.front().stageLeft, CProgressReport::kUnknown);
        const CProgressReport& middle = reports[reports.size() / 2];
        EXPECT_NE(middle.stageLeft, CProgressReport::kUnknown);
        EXPECT_NE(middle.jobLeft(), CProgressReport::kUnknown);
        EXPECT_GE(middle.jobLeft(), middle.stageLeft);
    }
    EXPECT_GT(stages[0].back().afterStage, stages[1].back().afterStage);
    EXPECT_GT(progress.rate(), 0);
}
