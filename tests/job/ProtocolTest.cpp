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
    CProtocol::Outcome outcome = CProtocol::NotFinished;
    bool succeeded = false;
};

// Answers the job's questions the way a user at the dialog would.
struct Answers {
    std::string password = " secret";  // as stored by the dialog: blank + password, or the cancel marker
    enum { All, Cancel, Master } skd = All;
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

    JobResult runJob(int mode, const std::string& address, const std::string& path, const Answers& answers = {})
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
        EXPECT_TRUE(job.start());
        job.join();

        JobResult result;
        result.ids = CMessage::getInstance()->postedIds();
        result.lines = dialog.lines();
        result.messages = dialog.messages();
        result.boxes = dialog.boxes();
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
    std::promise<void> threadEnd;
    std::future<void> ended = threadEnd.get_future();
    auto* job = new CProtocol;
    dialog.onMessageHandler = [&](unsigned message) -> long {
        if (message == WM_JOB_DONE) {
            threadEnd.set_value_at_thread_exit();
            delete job;
        }
        return 1;
    };
    // No file is chosen, so the job ends at once.
    job->init(&dialog, &dialog, CProtocol::Backup, "127.0.0.1");
    ASSERT_TRUE(job->start());
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(30)), std::future_status::ready);
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

}  // namespace
