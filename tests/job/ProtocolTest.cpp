#include "job/CProtocol.h"

#include "backupfile/CFileManager.h"
#include "bus/BusDefs.h"
#include "bus/CKandoProtocol.h"
#include "job/CMessage.h"
#include "platform/DialogLink.h"

#include "Simulator.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <atomic>
#include <future>
#include <memory>
#include <thread>

namespace {

using testsupport::FakeDialog;

constexpr uint8_t kCloseRequest = 3;

struct JobResult {
    std::vector<int> ids;
    std::vector<std::string> lines;
    std::vector<unsigned> messages;
    std::vector<std::string> boxes;
    std::vector<CProgressReport> progress;
    CProtocol::Outcome outcome = CProtocol::NotFinished;
    bool succeeded = false;
};

// Answers the job's questions the way a user at the dialog would.
struct Answers {
    std::string password = " secret";  // as stored by the dialog: blank + password, or the cancel marker
    enum Kind { All, Cancel, Master } skd = All;
    int master = 0;
};

// The job ends the SKD part with programming mode off and a reset of every SKD.
// The simulator records a request on its own thread, which may lag behind the job's end.
void expectBusClosedDown(const sim::Simulator& simulator)
{
    auto requests = simulator.busRequests();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((requests.empty() || requests.back().code != bus::CMD_RESET) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        requests = simulator.busRequests();
    }
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[requests.size() - 2].code, bus::CMD_PROG_OFF);
    EXPECT_EQ(requests.back().code, bus::CMD_RESET);
}

bool contains(const std::vector<int>& ids, int id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

size_t indexOf(const std::vector<int>& ids, int id)
{
    return static_cast<size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

class ProtocolTest : public ::testing::Test
{
protected:
    std::string file(const std::string& name) const { return m_temp.path(name); }

    std::unique_ptr<sim::Simulator> startSimulator(int n, int version, sim::Faults faults = {}, uint32_t seed = 1)
    {
        sim::Config config;
        config.address = testsupport::loopbackAddress(n);
        config.version = version;
        config.password = "secret";
        config.seed = seed;
        config.faults = faults;
        auto simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        EXPECT_TRUE(simulator->start(&error)) << error;
        return simulator;
    }

    JobResult runJob(int mode, const std::string& address, const std::string& path, const Answers& answers = {},
                     const CProtocol::RestoreScope& scope = {})
    {
        FakeDialog dialog;
        dialog.filePath = path;
        CProtocol job;
        dialog.onMessageHandler = [&](unsigned message) -> long {
            if (message == WM_ASK_PASSWORD) {
                job.storePassword(answers.password);
            } else if (message == WM_SKD_CHOOSE) {
                std::vector<std::string> found;
                job.getKandoProtocol()->listBusSKD(found);
                if (answers.skd == Answers::Cancel)
                    job.storeSKDChoice(1, nullptr, 0);
                else
                    job.storeSKDChoice(1, &found, answers.skd == Answers::Master ? answers.master : 0);
            } else if (message == WM_JOB_DONE) {
                // The job's objects are gone before the end notice.
                EXPECT_EQ(job.getKandoProtocol(), nullptr);
            }
            return 1;
        };
        job.init(&dialog, &dialog, mode, address);
        EXPECT_TRUE(job.setRestoreScope(scope));
        EXPECT_TRUE(job.start());
        job.join();

        JobResult result;
        result.ids = CMessage::getInstance()->postedIds();
        result.lines = dialog.lines();
        result.messages = dialog.messages();
        result.boxes = dialog.boxes();
        result.progress = dialog.progressReports();
        result.outcome = job.outcome();
        result.succeeded = job.succeeded();
        return result;
    }

    // 60 s + 10 s of pauses take 140 ms; a 120 s reply wait is 240 ms, room enough for a loaded machine.
    testsupport::ScopedTimeScale m_scale{0.002};
    testsupport::ScopedTempDir m_temp{"nexo-job"};
};

TEST_F(ProtocolTest, CancelledFileDialogEndsSilently)
{
    const JobResult r = runJob(CProtocol::Backup, "127.0.0.1", "");
    EXPECT_TRUE(r.ids.empty());
    EXPECT_EQ(r.messages, std::vector<unsigned>{WM_JOB_DONE});
    EXPECT_EQ(r.outcome, CProtocol::FailedKind1);
    EXPECT_FALSE(r.succeeded);
}

TEST_F(ProtocolTest, JobThatNeverStartsFreesWhatInitMade)
{
    // Seen by the leak checker of the sanitizer build.
    FakeDialog dialog;
    {
        CProtocol job;
        job.init(&dialog, &dialog, CProtocol::Backup, "127.0.0.1");
        EXPECT_NE(job.getKandoProtocol(), nullptr);
    }
    EXPECT_TRUE(dialog.messages().empty());
    delete getFileManager();
}

TEST_F(ProtocolTest, JobDeletedFromItsOwnEndNotice)
{
    // The end notice runs on the worker itself here. Once it has deleted the job, the
    // thread must not touch the job again: the sanitizer build sees any write into it.
    FakeDialog dialog;
    // Set by a thread-local object of the worker, destroyed only when the thread ends: after
    // everything the thread does once the handler has returned. An atomic, so that also the
    // thread sanitizer sees the order (it does not see promise::set_value_at_thread_exit's).
    static std::atomic<bool> threadEnded;
    threadEnded = false;
    struct EndMark {
        ~EndMark() { threadEnded.store(true, std::memory_order_release); }
    };
    auto* job = new CProtocol;
    dialog.onMessageHandler = [&](unsigned message) -> long {
        if (message == WM_JOB_DONE) {
            thread_local EndMark mark;
            delete job;
        }
        return 1;
    };
    // No file is chosen, so the job ends at once.
    job->init(&dialog, &dialog, CProtocol::Backup, "127.0.0.1");
    ASSERT_TRUE(job->start());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!threadEnded.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(threadEnded.load(std::memory_order_acquire));
    EXPECT_EQ(dialog.messages(), std::vector<unsigned>{WM_JOB_DONE});
}

TEST_F(ProtocolTest, UnusableAddressIsReportedAndNothingElseHappens)
{
    struct Case {
        const char* what;
        std::string address;
    };
    const std::vector<Case> cases = {
        // Cut to 16 characters this would be another, reachable, address.
        {"too long", testsupport::loopbackAddress(1) + "00000000000"},
        {"nothing listens", testsupport::loopbackAddress(2)},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        const JobResult r = runJob(CProtocol::Backup, c.address, file("x.mrk"));
        EXPECT_EQ(r.ids, std::vector<int>{116}) << c.what;
        EXPECT_EQ(r.messages, std::vector<unsigned>{WM_JOB_DONE}) << c.what;
        EXPECT_EQ(r.outcome, CProtocol::FailedKind1) << c.what;
        EXPECT_FALSE(r.succeeded) << c.what;
        EXPECT_FALSE(std::filesystem::exists(file("x.mrk"))) << c.what;
    }
}

TEST_F(ProtocolTest, StagesFollowTheGatewayVersion)
{
    struct Case {
        int version;
        std::vector<unsigned> messages;
        CProtocol::Outcome outcome;
    };
    const std::vector<Case> cases = {
        {106, {WM_JOB_DONE}, CProtocol::PlannedEnd},
        {107, {WM_ASK_PASSWORD, WM_JOB_DONE}, CProtocol::PlannedEnd},
        {108, {WM_ASK_PASSWORD, WM_SKD_CHOOSE, WM_JOB_DONE}, CProtocol::Completed},
    };
    int n = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        auto simulator = startSimulator(n++, c.version);
        const std::string path = file(std::to_string(c.version) + ".mrk");
        const JobResult r = runJob(CProtocol::Backup, simulator->config().address, path);

        EXPECT_EQ(r.messages, c.messages);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_TRUE(r.succeeded);
        ASSERT_FALSE(r.ids.empty());
        EXPECT_EQ(r.ids.front(), 145);
        EXPECT_EQ(r.ids.back(), 137);
        EXPECT_EQ(std::count(r.ids.begin(), r.ids.end(), 137), 1);
        EXPECT_EQ(contains(r.ids, 163), c.version > 107);
        EXPECT_EQ(simulator->busRequests().empty(), c.version <= 107);
        if (c.version > 107) {
            // The SKD lines come after the wait for the gateway.
            EXPECT_LT(indexOf(r.ids, 163), indexOf(r.ids, 164));
            EXPECT_TRUE(r.boxes.empty());
        }

        CFileManager* fm = getFileManager();
        fm->open(path);
        EXPECT_EQ(fm->getInt("Global.Version"), c.version);
        EXPECT_EQ(fm->containsKey("SKD1.Data"), c.version > 107);
        delete fm;
    }
}

TEST_F(ProtocolTest, FailedFinalSaveFailsTheJob)
{
    // Empty objects store only their lengths, so nothing reaches the disk before the final save.
    auto simulator = startSimulator(12, 106);
    for (int i = 0; i < 4; ++i)
        simulator->setObject(i, {});
    const JobResult r = runJob(CProtocol::Backup, simulator->config().address, file("gone/x.mrk"));
    EXPECT_EQ(r.outcome, CProtocol::PlannedEnd);
    ASSERT_GE(r.ids.size(), 2u);
    EXPECT_EQ(r.ids[r.ids.size() - 2], 137);
    EXPECT_EQ(r.ids.back(), 143);
    EXPECT_EQ(r.lines.back().find("flush"), r.lines.back().find("ERROR -- ") + 9) << r.lines.back();
    EXPECT_EQ(r.messages, std::vector<unsigned>{WM_JOB_DONE});
    EXPECT_FALSE(r.succeeded);
}

TEST_F(ProtocolTest, BackupLackingAnSkdRecordFails)
{
    struct Case {
        const char* what;
        uint8_t code;  // whose first reply to every SKD fails its check
        const char* key;
    };
    const std::vector<Case> cases = {
        {"configuration", bus::CMD_READ_CFG, "SKD1.CFG"},
        {"CRC", bus::CMD_READ_CRC, "SKD1.CRC"},
    };
    int n = 50;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Faults faults;
        faults.badChecksumCode = c.code;
        faults.badChecksumIndex = 1;
        auto simulator = startSimulator(n++, 108, faults);
        const std::string path = file(std::string(c.what) + ".mrk");
        const JobResult r = runJob(CProtocol::Backup, simulator->config().address, path);
        EXPECT_EQ(r.outcome, CProtocol::Completed);
        EXPECT_FALSE(r.succeeded);

        CFileManager* fm = getFileManager();
        fm->open(path);
        EXPECT_TRUE(fm->containsKey("SKD1.Data"));
        EXPECT_FALSE(fm->containsKey(c.key));
        delete fm;
    }
}

TEST_F(ProtocolTest, PasswordCancelledOrRefusedClosesTheGateway)
{
    struct Case {
        const char* what;
        std::string answer;
        std::vector<int> ids;
        size_t boxes;
        CProtocol::Outcome outcome;
    };
    const std::vector<Case> cases = {
        {"cancelled", kPasswordCancelAnswer, {145}, 0, CProtocol::PasswordCancelled},
        {"refused", " wrong", {145, 153, 137}, 1, CProtocol::FailedKind2},
        // Typed as a password, the marker text is a password like any other.
        {"marker typed", std::string(" ") + kPasswordCancelAnswer, {145, 153, 137}, 1, CProtocol::FailedKind2},
    };
    int n = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto simulator = startSimulator(n++, 108);
        Answers answers;
        answers.password = c.answer;
        const JobResult r = runJob(CProtocol::Backup, simulator->config().address, file("p.mrk"), answers);
        EXPECT_EQ(r.ids, c.ids);
        EXPECT_EQ(r.boxes.size(), c.boxes);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_FALSE(r.succeeded);
        const auto requests = simulator->gatewayRequests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().type, kCloseRequest);
        EXPECT_TRUE(simulator->busRequests().empty());
    }
}

TEST_F(ProtocolTest, UnreadableVersionClosesTheGatewayWithoutVersionLine)
{
    sim::Faults faults;
    faults.silentRequestType = 7;
    auto simulator = startSimulator(30, 108, faults);
    const JobResult r = runJob(CProtocol::Backup, simulator->config().address, file("v.mrk"));
    EXPECT_FALSE(contains(r.ids, 145));
    EXPECT_EQ(r.messages, std::vector<unsigned>{WM_JOB_DONE});
    EXPECT_EQ(r.outcome, CProtocol::FailedKind2);
    EXPECT_FALSE(r.succeeded);
    EXPECT_EQ(simulator->gatewayRequests().back().type, kCloseRequest);
}

TEST_F(ProtocolTest, BusThatNeverAcceptsEndsWith116AfterThreeAttempts)
{
    sim::Faults faults;
    faults.refuseBus = true;
    auto simulator = startSimulator(31, 108, faults);
    const JobResult r = runJob(CProtocol::Backup, simulator->config().address, file("b.mrk"));
    ASSERT_FALSE(r.ids.empty());
    EXPECT_EQ(r.ids.back(), 116);
    EXPECT_EQ(std::count(r.ids.begin(), r.ids.end(), 116), 1);
    EXPECT_LT(indexOf(r.ids, 163), r.ids.size() - 1);
    EXPECT_EQ(r.messages, (std::vector<unsigned>{WM_ASK_PASSWORD, WM_JOB_DONE}));
    EXPECT_EQ(r.outcome, CProtocol::FailedKind1);
    EXPECT_FALSE(r.succeeded);
    // The gateway connection was closed once, after its transfer, and not touched again.
    const auto requests = simulator->gatewayRequests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const sim::GatewayRequest& q) { return q.type == kCloseRequest; }), 1);
}

TEST_F(ProtocolTest, SkdChoiceCancelledSkipsTheSkdPartAsSuccess)
{
    auto simulator = startSimulator(32, 108);
    Answers answers;
    answers.skd = Answers::Cancel;
    const JobResult r = runJob(CProtocol::Backup, simulator->config().address, file("c.mrk"), answers);
    EXPECT_EQ(r.outcome, CProtocol::Completed);
    EXPECT_TRUE(r.succeeded);
    EXPECT_EQ(r.ids.back(), 137);
    EXPECT_FALSE(contains(r.ids, 164));
    for (const sim::BusRequest& q : simulator->busRequests()) {
        EXPECT_NE(q.code, bus::CMD_PROG_ON) << "no programming mode after a cancelled choice";
        EXPECT_NE(q.code, bus::CMD_RESET) << "no reset after a cancelled choice";
    }
}

TEST_F(ProtocolTest, RestoreRoundTripAndSkdFailure)
{
    auto original = startSimulator(40, 108, {}, 1);
    const std::string path = file("round.mrk");
    ASSERT_TRUE(runJob(CProtocol::Backup, original->config().address, path).succeeded);
    original->stop();

    auto fresh = startSimulator(41, 108, {}, 2);
    std::string difference;
    ASSERT_FALSE(fresh->sameState(*original));
    const JobResult r = runJob(CProtocol::Restore, fresh->config().address, path);
    EXPECT_EQ(r.outcome, CProtocol::Completed);
    EXPECT_TRUE(r.succeeded);
    EXPECT_EQ(r.messages, (std::vector<unsigned>{WM_ASK_PASSWORD, WM_JOB_DONE}));  // no SKD choice in a restore
    EXPECT_TRUE(fresh->sameState(*original, &difference)) << difference;
    expectBusClosedDown(*fresh);

    // An SKD that drops what is written fails its check: the job runs to its end but
    // did not do its work.
    sim::Faults faults;
    faults.ignoreWrites = {2};
    auto deaf = startSimulator(42, 108, faults, 3);
    const JobResult bad = runJob(CProtocol::Restore, deaf->config().address, path);
    EXPECT_TRUE(contains(bad.ids, 161));
    EXPECT_EQ(bad.outcome, CProtocol::Completed);
    EXPECT_FALSE(bad.succeeded);
    expectBusClosedDown(*deaf);
}

// An SKD image a backup cut short would wipe the rest of that SKD's memory: the dialog's job
// refuses the file before it connects, with a line that names the SKD; a restore that leaves
// that SKD out goes ahead.
TEST_F(ProtocolTest, RestoreOfACutShortImageNeverConnects)
{
    auto original = startSimulator(44, 108, {}, 1);
    const std::string path = file("cut.mrk");
    ASSERT_TRUE(runJob(CProtocol::Backup, original->config().address, path).succeeded);
    {
        CFileManager cut;
        cut.open(path);
        std::vector<uint8_t> half(31000);
        ASSERT_TRUE(cut.readData("SKD1.Data", half.data(), half.size()));
        cut.setInt("SKD1.DataLength", 31000);
        ASSERT_TRUE(cut.writeData("SKD1.Data", half.data(), half.size()));
    }

    auto fresh = startSimulator(45, 108, {}, 2);
    const JobResult r = runJob(CProtocol::Restore, fresh->config().address, path);
    EXPECT_EQ(r.outcome, CProtocol::FailedKind1);
    EXPECT_FALSE(r.succeeded);
    EXPECT_EQ(r.ids, (std::vector<int>{MSG_SKD_IMAGE_CUT_SHORT}));
    EXPECT_EQ(r.lines, (std::vector<std::string>{CMessage::getInstance()->formatText(
                           MSG_SKD_IMAGE_CUT_SHORT, "1", 31000, 62000)}));
    EXPECT_EQ(fresh->gatewayConnections(), 0);

    CProtocol::RestoreScope others;
    others.skds = CProtocol::RestoreScope::OneSkd;
    others.skd = 2;
    EXPECT_TRUE(runJob(CProtocol::Restore, fresh->config().address, path, {}, others).succeeded);
}

// ---------------------------------------------------------------- restore of part of a file

// Every bus request of a restore of SKD number alone goes to that SKD, apart from the bus scan,
// the programming mode and the final reset.
void expectOnlySkdTouched(const sim::Simulator& simulator, int number)
{
    const uint8_t own = bus::skdAddress(number);
    int ownRequests = 0;
    for (const sim::BusRequest& q : simulator.busRequests()) {
        if (q.code == bus::CMD_PROBE || q.code == bus::CMD_PROG_ON || q.code == bus::CMD_PROG_OFF)
            continue;
        if (q.code == bus::CMD_RESET && q.destination == bus::ADDR_ALL_SKDS)
            continue;
        EXPECT_EQ(q.destination, own) << "request code 0x" << std::hex << int(q.code);
        ownRequests += q.destination == own;
    }
    EXPECT_GT(ownRequests, 485) << "cleaned, written, configured and checked";
}

TEST_F(ProtocolTest, RestoreOfOneSkdTouchesThatSkdOnly)
{
    struct Case {
        const char* what;
        Answers::Kind choice;
        int master;  // SKD number the backup takes as master
        int target;
        int imageOf;  // whose saved memory and configuration SKD target gets
    };
    const std::vector<Case> cases = {
        {"single mode", Answers::All, 0, 2, 2},
        {"master mode", Answers::Master, 5, 2, 5},
    };
    int n = 50;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto original = startSimulator(n++, 108, {}, 1);
        const std::string path = file(std::string(c.what) + ".mrk");
        Answers answers;
        answers.skd = c.choice;
        answers.master = c.master;
        ASSERT_TRUE(runJob(CProtocol::Backup, original->config().address, path, answers).succeeded);
        const auto saved = original->skds();
        original->stop();

        auto fresh = startSimulator(n++, 108, {}, 2);
        const auto before = fresh->skds();
        CProtocol::RestoreScope scope;
        scope.skds = CProtocol::RestoreScope::OneSkd;
        scope.skd = c.target;
        const JobResult r = runJob(CProtocol::Restore, fresh->config().address, path, {}, scope);
        EXPECT_TRUE(r.succeeded);
        EXPECT_TRUE(r.boxes.empty());
        EXPECT_EQ(std::count(r.ids.begin(), r.ids.end(), 166), 1);
        EXPECT_TRUE(testsupport::anyLineContains(r.lines, "Terminada restauración del SKD " + std::to_string(c.target) + "."));
        EXPECT_FALSE(contains(r.ids, 159));
        EXPECT_FALSE(contains(r.ids, 160));
        expectBusClosedDown(*fresh);
        expectOnlySkdTouched(*fresh, c.target);

        const auto after = fresh->skds();
        for (const auto& [number, skd] : after) {
            SCOPED_TRACE(number);
            if (number == c.target) {
                EXPECT_TRUE(skd.memory == saved.at(c.imageOf).memory);
                EXPECT_EQ(skd.cfg, saved.at(c.imageOf).cfg);
            } else {
                EXPECT_TRUE(skd.memory == before.at(number).memory);
                EXPECT_EQ(skd.cfg, before.at(number).cfg);
            }
        }
        // The gateway part runs as always.
        EXPECT_EQ(fresh->objects(), original->objects());
    }
}

TEST_F(ProtocolTest, RestoreWithoutSkdsNeverOpensTheBusPort)
{
    auto original = startSimulator(60, 108, {}, 1);
    const std::string path = file("none.mrk");
    ASSERT_TRUE(runJob(CProtocol::Backup, original->config().address, path).succeeded);

    auto fresh = startSimulator(61, 108, {}, 2);
    const auto skdsBefore = fresh->skds();
    CProtocol::RestoreScope scope;
    scope.skds = CProtocol::RestoreScope::NoSkds;
    const JobResult r = runJob(CProtocol::Restore, fresh->config().address, path, {}, scope);
    EXPECT_EQ(r.outcome, CProtocol::Completed);
    EXPECT_TRUE(r.succeeded);
    ASSERT_GE(r.ids.size(), 2u);
    EXPECT_EQ(r.ids[r.ids.size() - 2], 136);
    EXPECT_EQ(r.ids.back(), 137);
    EXPECT_FALSE(contains(r.ids, 163));
    EXPECT_EQ(fresh->objects(), original->objects());
    EXPECT_EQ(fresh->busConnections(), 0);
    for (const auto& [number, skd] : fresh->skds())
        EXPECT_TRUE(skd.memory == skdsBefore.at(number).memory) << number;
}

TEST_F(ProtocolTest, RestoreWithoutGatewayDataSendsNoObject)
{
    auto original = startSimulator(70, 108, {}, 1);
    const std::string path = file("skds.mrk");
    ASSERT_TRUE(runJob(CProtocol::Backup, original->config().address, path).succeeded);
    CProtocol::RestoreScope scope;
    scope.gatewayObjects = false;

    auto fresh = startSimulator(71, 108, {}, 2);
    const auto objectsBefore = fresh->objects();
    const JobResult r = runJob(CProtocol::Restore, fresh->config().address, path, {}, scope);
    EXPECT_TRUE(r.succeeded);
    EXPECT_EQ(r.messages, (std::vector<unsigned>{WM_ASK_PASSWORD, WM_JOB_DONE}));
    for (int id : {141, 142, 136})
        EXPECT_FALSE(contains(r.ids, id)) << id;
    EXPECT_TRUE(contains(r.ids, 112));
    for (const sim::GatewayRequest& q : fresh->gatewayRequests())
        EXPECT_NE(q.type, 1) << "restore request";
    EXPECT_EQ(fresh->objects(), objectsBefore);
    for (const auto& [number, skd] : fresh->skds())
        EXPECT_TRUE(skd.memory == original->skds().at(number).memory) << number;

    // The version is still checked: another gateway version refuses the file, and the bus
    // is left alone.
    auto newer = startSimulator(72, 109, {}, 3);
    const JobResult refused = runJob(CProtocol::Restore, newer->config().address, path, {}, scope);
    EXPECT_FALSE(refused.succeeded);
    EXPECT_TRUE(contains(refused.ids, 133));
    EXPECT_EQ(newer->busConnections(), 0);
}

}  // namespace

namespace {

// The stages a job's progress went through: stage, SKD and connect attempt of each.
std::vector<std::string> stageNames(const std::vector<CProgressReport>& reports)
{
    static const char* const names[] = {"none", "wait", "connect", "settle", "scan", "backup", "restore", "clean", "crc"};
    std::vector<std::string> out;
    for (const auto& stage : testsupport::progressStages(reports)) {
        const CProgressReport& r = stage.front();
        std::string name = names[static_cast<int>(r.stage)];
        if (r.attempt)
            name += " " + std::to_string(r.attempt) + "/" + std::to_string(r.attempts);
        if (r.skd)
            name += " " + std::to_string(r.skd);
        out.push_back(name);
    }
    return out;
}

}  // namespace

// The job's waits are stages of their own beside the status lines; each ends with its length
// known. A bus port that refuses shows all three attempts.
TEST_F(ProtocolTest, ProgressStagesOfAJob)
{
    auto simulator = startSimulator(50, 108);
    const JobResult r = runJob(CProtocol::Backup, simulator->config().address, file("p.mrk"));
    EXPECT_TRUE(r.succeeded);
    EXPECT_EQ(stageNames(r.progress), (std::vector<std::string>{"wait", "connect 1/3", "settle", "scan", "backup 1",
                                                                "backup 2", "backup 5"}));
    for (const auto& stage : testsupport::progressStages(r.progress)) {
        if (stage.back().unit == ProgressUnit::Time) {
            EXPECT_TRUE(stage.back().exact);
        }
    }

    sim::Faults faults;
    faults.refuseBus = true;
    auto refusing = startSimulator(51, 108, faults);
    const JobResult refused = runJob(CProtocol::Backup, refusing->config().address, file("q.mrk"));
    EXPECT_EQ(stageNames(refused.progress), (std::vector<std::string>{"wait", "connect 1/3", "connect 2/3", "connect 3/3"}));
    // After a failed attempt only the pause before the next one is left.
    for (const auto& stage : testsupport::progressStages(refused.progress))
        EXPECT_TRUE(stage.back().exact);
}
