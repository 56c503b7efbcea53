// nexo-backup-cli against nexo-sim, both run as the real programs from the build folder.
#include "Process.h"
#include "TestSupport.h"

#include "job/CMessage.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::Process;

const std::string kScale = "0.001";
const std::string kPassword = "geheim 2";
const std::vector<std::string> kObjects = {"UserManagerConfig", "ConfigManager", "DayLightConfig", "SystemTimeConfig"};

// The children use the program's own texts, so the expected lines can be built here.
const std::vector<std::string> kEnv = {"LC_ALL=es_ES.UTF-8", "LANG=es_ES.UTF-8", "LC_MESSAGES=es_ES.UTF-8", "LANGUAGE="};

template <typename... A>
std::string text(int id, const A&... args)
{
    return CMessage::getInstance()->formatText(id, args...);
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

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

    std::vector<std::string> gatewayBackupLines(int version, const std::string& file)
    {
        std::vector<std::string> lines = {text(145, double(version)), text(111, file)};
        for (const std::string& o : kObjects) {
            lines.push_back(text(138, o));
            lines.push_back(text(139, o));
            lines.push_back(text(140, o));
        }
        lines.push_back(text(135));
        return lines;
    }

    testsupport::ScopedTempDir m_temp{"nexo-e2e"};
    std::string m_bin;
    std::vector<std::unique_ptr<Process>> m_sims;
};

TEST_F(EndToEnd, BackupFollowsTheGatewayVersion)
{
    // 106 has no password: without --password-file and without a terminal it still completes.
    {
        const std::string address = startSim(1, 106);
        const std::string file = path("106.mrk");
        const Run r = runCli({"backup", address, file});
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected = gatewayBackupLines(106, file);
        expected.push_back(text(137));
        EXPECT_EQ(r.lines, expected);
        EXPECT_NE(testsupport::readFile(file).find("Global.Version=106"), std::string::npos);
    }
    {
        const std::string address = startSim(2, 107);
        const std::string file = path("107.mrk");
        const Run r = backup(address, file);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected = gatewayBackupLines(107, file);
        expected.push_back(text(137));
        EXPECT_EQ(r.lines, expected);
        EXPECT_FALSE(hasLine(r.lines, text(163)));
        EXPECT_EQ(testsupport::readFile(file).find("SKD"), std::string::npos);
    }
    {
        const std::string address = startSim(3, 108);
        const std::string file = path("108.mrk");
        const Run r = backup(address, file);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected = gatewayBackupLines(108, file);
        expected.push_back(text(163));
        for (const char* n : {"1", "2", "5"}) {
            expected.push_back(text(164, n));
            expected.push_back(text(165, n));
        }
        expected.push_back(text(137));
        EXPECT_EQ(r.lines, expected);
        EXPECT_EQ(r.err.find(kPassword), std::string::npos);
        const std::string content = testsupport::readFile(file);
        for (const char* key : {"SKD0.MASTER=192", "SKD1.Data=", "SKD2.Data=", "SKD5.Data=", "SKD5.CRC="})
            EXPECT_NE(content.find(key), std::string::npos) << key;
    }
}

TEST_F(EndToEnd, PasswordRefusedOrMissing)
{
    const std::string address = startSim(10, 108);

    std::ofstream(path("wrong")) << "falsch\n";
    const Run refused = runCli({"backup", address, path("r.mrk"), "--password-file", path("wrong")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.lines, (std::vector<std::string>{text(145, 108.0), text(153), text(137)}));
    EXPECT_NE(refused.err.find(text(154)), std::string::npos) << refused.err;

    // No password file and no terminal: the question is cancelled and the tool says why.
    const Run cancelled = runCli({"backup", address, path("c.mrk")});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.lines, std::vector<std::string>{text(145, 108.0)});
    EXPECT_NE(cancelled.err.find("password"), std::string::npos) << cancelled.err;

    // The password may come on standard input.
    const Run piped = runCli({"backup", address, path("s.mrk"), "--password-file", "-", "--skd", "none"}, kPassword + "\n");
    EXPECT_EQ(piped.status, 0) << piped.err;
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
    EXPECT_EQ(cli.outLines().back(), text(137));
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

TEST_F(EndToEnd, GatewayThatDoesNotAnswer)
{
    // A listener whose backlog is full: the connect is never completed.
    const std::string address = testsupport::loopbackAddress(20);
    testsupport::Socket listener = testsupport::listenOn(address, 11574, 0);
    ASSERT_NE(listener, testsupport::kNoSocket);
    std::vector<testsupport::Socket> fillers;
    for (int i = 0; i < 3; ++i) {
        bool pending = false;
        fillers.push_back(portable::startConnect(address, 11574, &pending));
    }

    const Run r = backup(address, path("n.mrk"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.lines, std::vector<std::string>{text(116)});

    for (testsupport::Socket& s : fillers)
        portable::closeSocket(s);
    portable::closeSocket(listener);
}

TEST_F(EndToEnd, BusThatRefusesEveryConnect)
{
    const std::string address = startSim(21, 108, {"--refuse-bus"});
    const Run r = backup(address, path("b.mrk"));
    EXPECT_EQ(r.status, 1);
    ASSERT_GE(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[r.lines.size() - 2], text(163));
    EXPECT_EQ(r.lines.back(), text(116));
}

TEST_F(EndToEnd, SkdChoice)
{
    const std::string address = startSim(30, 108);
    struct Case {
        std::string choice;
        int status;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const std::vector<Case> cases = {
        {"none", 0, {"Global.Version=108"}, {"SKD"}},
        {"all", 0, {"SKD0.MASTER=192", "SKD1.Data=", "SKD2.Data=", "SKD5.Data="}, {"SKD3."}},
        {"5", 0, {"SKD0.MASTER=197", "SKD5.Data="}, {"SKD1.", "SKD2."}},
        // Not on the bus: refused, the SKD part skipped.
        {"3", 1, {"Global.Version=108"}, {"SKD"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        const std::string file = path("skd-" + c.choice + ".mrk");
        const Run r = backup(address, file, {"--skd", c.choice});
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.lines.back(), text(137));
        const std::string content = testsupport::readFile(file);
        for (const std::string& key : c.present)
            EXPECT_NE(content.find(key), std::string::npos) << key;
        for (const std::string& key : c.absent)
            EXPECT_EQ(content.find(key), std::string::npos) << key;
        if (c.status == 1) {
            EXPECT_NE(r.err.find("SKD 3"), std::string::npos) << r.err;
        }
    }
}

TEST_F(EndToEnd, RoundTripRestoresAFreshGatewayToTheOriginal)
{
    const std::string original = startSim(40, 108, {"--seed", "11", "--save-state", path("state-original")});
    const std::string file = path("round.mrk");
    ASSERT_EQ(backup(original, file).status, 0);

    const std::string fresh = startSim(41, 108, {"--seed", "22", "--save-state", path("state-fresh")});
    const Run r = restore(fresh, file);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> expected = {text(145, 108.0), text(112, file)};
    for (const std::string& o : kObjects) {
        expected.push_back(text(141, o));
        expected.push_back(text(142, o));
    }
    expected.push_back(text(136));
    expected.push_back(text(163));
    for (const char* n : {"1", "2", "5"}) {
        expected.push_back(text(166, n));
        expected.push_back(text(167, n));
    }
    expected.push_back(text(137));
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

TEST_F(EndToEnd, CrcFailureAfterRestoreNamesTheSkds)
{
    const std::string original = startSim(50, 108);
    const std::string file = path("crc.mrk");
    ASSERT_EQ(backup(original, file).status, 0);

    const std::string deaf = startSim(51, 108, {"--seed", "5", "--ignore-writes", "2", "--ignore-writes", "5"});
    const Run r = restore(deaf, file);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(hasLine(r.lines, text(161, "2")));
    EXPECT_TRUE(hasLine(r.lines, text(161, "5")));
    EXPECT_FALSE(hasLine(r.lines, text(161, "1")));
    EXPECT_NE(r.err.find(text(161, "2, 5")), std::string::npos) << r.err;
}

TEST_F(EndToEnd, BadUsageIsRefusedBeforeAnythingConnects)
{
    std::ofstream(path("badpw")) << "\xE2\x9C\x93\n";  // a check mark: no Windows-1252 byte
    std::ofstream(path("notdir")) << "x";
    const std::string address = testsupport::loopbackAddress(60);  // nothing listens: a connect would post 116
    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"no command", {}, nullptr},
        {"unknown command", {"copy", address, path("a.mrk")}, nullptr},
        {"address too long", {"backup", "192.168.100.100.1", path("a.mrk")}, "16"},
        {"restore of a missing file", {"restore", address, path("missing.mrk")}, "missing.mrk"},
        {"backup into a missing folder", {"backup", address, path("nowhere/a.mrk")}, "nowhere"},
        {"backup below a file", {"backup", address, path("notdir/a.mrk")}, "notdir"},
        {"bad --skd", {"backup", address, path("a.mrk"), "--skd", "9"}, "--skd"},
        {"password without a byte", {"backup", address, path("a.mrk"), "--password-file", path("badpw")}, "Windows-1252"},
        {"missing password file", {"backup", address, path("a.mrk"), "--password-file", path("nopw")}, "nopw"},
    };
    for (const Case& c : cases) {
        const Run r = runCli(c.args);
        EXPECT_EQ(r.status, 2) << c.what << ": " << r.err;
        EXPECT_TRUE(r.lines.empty()) << c.what;
        if (c.says) {
            EXPECT_NE(r.err.find(c.says), std::string::npos) << c.what << ": " << r.err;
        }
    }
    EXPECT_FALSE(fs::exists(path("a.mrk")));
}

}  // namespace
