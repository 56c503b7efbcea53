// nexo-backup-cli against nexo-sim, both run as the real programs from the build folder: what
// only the real programs show (exit statuses, the terminal, one whole job). The tool's other
// paths are tested in-process (CliTest.cpp).
#include "CliExpect.h"
#include "Process.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::Process;
using namespace clitest;

const std::string kScale = "0.001";
const std::string kPassword = "geheim 2";

// The children use the program's own texts, so the expected lines can be built here.
const std::vector<std::string> kEnv = {"LC_ALL=es_ES.UTF-8", "LANG=es_ES.UTF-8", "LC_MESSAGES=es_ES.UTF-8", "LANGUAGE="};

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bin = fs::current_path().string();
        std::ofstream(path("password")) << kPassword << "\n";
    }
    void TearDown() override
    {
        m_sims.clear();  // stops every simulator, also after a failed assertion
    }

    std::string path(const std::string& name) const { return m_temp.path(name); }

    // Starts nexo-sim on address n and waits until it is ready. Answers its address.
    std::string startSim(int n, int version, std::vector<std::string> extra = {})
    {
        const std::string address = testsupport::loopbackAddress(n);
        const std::string ready = path("ready" + std::to_string(n));
        std::vector<std::string> args = {m_bin + "/nexo-sim", "--address", address, "--version", std::to_string(version),
                                         "--password", kPassword, "--time-scale", kScale, "--ready-file", ready};
        args.insert(args.end(), extra.begin(), extra.end());
        auto sim = std::make_unique<Process>(args, m_temp.dir());
        EXPECT_TRUE(sim->started());
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!fs::exists(ready) && sim->running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(fs::exists(ready)) << "nexo-sim did not come up: " << sim->err();
        m_sims.push_back(std::move(sim));
        return address;
    }

    struct Run {
        int status = -1;
        std::vector<std::string> lines;
        std::string err;
    };

    Run runCli(std::vector<std::string> args, const std::string& stdinText = {})
    {
        args.insert(args.begin(), m_bin + "/nexo-backup-cli");
        args.push_back("--time-scale");
        args.push_back(kScale);
        Process cli(args, m_temp.dir(), stdinText, kEnv);
        EXPECT_TRUE(cli.started());
        Run run;
        run.status = cli.wait(60s);
        run.lines = cli.outLines();
        run.err = cli.err();
        return run;
    }

    Run backup(const std::string& address, const std::string& file, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"backup", address, file, "--password-file", path("password")};
        args.insert(args.end(), extra.begin(), extra.end());
        return runCli(args);
    }
    Run restore(const std::string& address, const std::string& file)
    {
        return runCli({"restore", address, file, "--password-file", path("password")});
    }

    testsupport::ScopedTempDir m_temp{"nexo-e2e"};
    std::string m_bin;
    std::vector<std::unique_ptr<Process>> m_sims;
};

TEST_F(EndToEnd, ExitStatusesOfAFailedJobAndOfBadUsage)
{
    // The round trip below ends with 0.
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int status;
    };
    const std::vector<Case> cases = {
        {"nothing listens", {"backup", testsupport::loopbackAddress(1), path("n.mrk"), "--password-file", path("password")}, 1},
        {"no command", {}, 2},
        {"bad --skd", {"backup", testsupport::loopbackAddress(1), path("a.mrk"), "--skd", "9"}, 2},
    };
    for (const Case& c : cases) {
        const Run r = runCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
        // A failed job has reported why; bad usage has connected nowhere.
        EXPECT_EQ(r.lines.empty(), c.status == 2) << c.what;
    }
}

TEST_F(EndToEnd, PasswordTypedOnTheTerminalIsNotEchoed)
{
    const std::string address = startSim(11, 107);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string user = ::ptsname(terminal);

    Process cli({m_bin + "/nexo-backup-cli", "backup", address, path("t.mrk"), "--time-scale", kScale}, m_temp.dir(), {},
                kEnv, user);
    ASSERT_TRUE(cli.started());
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (cli.err().find("password") == std::string::npos && cli.running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_NE(cli.err().find("password"), std::string::npos) << cli.err();
    const std::string typed = kPassword + "\n";
    ASSERT_EQ(::write(terminal, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));

    EXPECT_EQ(cli.wait(60s), 0) << cli.err();
    EXPECT_EQ(cli.outLines().back(), text(MSG_CONNECTION_CLOSED));
    std::string echoed;
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    char buffer[256];
    for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
        echoed.append(buffer, static_cast<size_t>(n));
    ::close(terminal);
    EXPECT_EQ(echoed.find("geheim"), std::string::npos) << echoed;
    EXPECT_EQ(cli.err().find("geheim"), std::string::npos);
    EXPECT_EQ(cli.out().find("geheim"), std::string::npos);
}

TEST_F(EndToEnd, EndOfInputAtTerminalPasswordIsNoPassword)
{
    // --password-file - typed on a terminal: Ctrl-D is no password at all, never an empty one.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string user = ::ptsname(terminal);

    Process cli({m_bin + "/nexo-backup-cli", "backup", testsupport::loopbackAddress(12), path("d.mrk"), "--password-file",
                 "-", "--time-scale", kScale},
                m_temp.dir(), {}, kEnv, user);
    ASSERT_TRUE(cli.started());
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (cli.err().find("password") == std::string::npos && cli.running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_NE(cli.err().find("password"), std::string::npos) << cli.err();
    const char endOfInput = 0x04;
    ASSERT_EQ(::write(terminal, &endOfInput, 1), 1);

    EXPECT_EQ(cli.wait(60s), 2) << cli.err();
    EXPECT_TRUE(cli.outLines().empty());
    EXPECT_NE(cli.err().find("no password"), std::string::npos) << cli.err();
    ::close(terminal);
}

TEST_F(EndToEnd, RoundTripRestoresAFreshGatewayToTheOriginal)
{
    const std::string original = startSim(40, 108, {"--seed", "11", "--save-state", path("state-original")});
    const std::string file = path("round.mrk");
    ASSERT_EQ(backup(original, file).status, 0);

    const std::string fresh = startSim(41, 108, {"--seed", "22", "--save-state", path("state-fresh")});
    const Run r = restore(fresh, file);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> expected = {text(MSG_GATEWAY_VERSION, 108.0), text(MSG_LOAD_FROM, file)};
    for (const std::string& o : kObjects) {
        expected.push_back(text(MSG_OBJECT_WRITING, o));
        expected.push_back(text(MSG_OBJECT_WRITTEN, o));
    }
    expected.push_back(text(MSG_RESTORE_DONE));
    expected.push_back(text(MSG_WAIT_FOR_GATEWAY));
    for (const char* n : {"1", "2", "5"}) {
        expected.push_back(text(MSG_SKD_RESTORE_START, n));
        expected.push_back(text(MSG_SKD_RESTORE_DONE, n));
    }
    expected.push_back(text(MSG_CONNECTION_CLOSED));
    EXPECT_EQ(r.lines, expected);

    // The simulators write their state when they stop.
    for (auto& sim : m_sims)
        EXPECT_EQ(sim->stop(), 0) << sim->err();
    const std::vector<std::string> names = testsupport::folderEntries(path("state-original"));
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names)
        EXPECT_EQ(testsupport::readFile(path("state-fresh/" + name)), testsupport::readFile(path("state-original/" + name)))
            << name;
    EXPECT_EQ(testsupport::folderEntries(path("state-fresh")).size(), names.size());
}

}  // namespace
