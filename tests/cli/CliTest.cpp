// The command-line tool run in-process against the in-process simulator, over string streams.
#include "CliExpect.h"
#include "Simulator.h"
#include "TestSupport.h"

#include "cli/Cli.h"
#include "cli/Terminal.h"
#include "platform/Resources.h"
#include "resources/Version.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace clitest;

const std::string kScale = "0.001";
const std::string kPassword = "geheim 2";
const std::string kCheckMark = "\xE2\x9C\x93";  // no Windows-1252 byte

// The locale variables of the process for one test; the old values come back afterwards.
class ScopedLocale
{
public:
    explicit ScopedLocale(const std::string& locale)
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
            portable::setEnvironment(name, std::string(name) == "LANGUAGE" ? "" : locale.c_str());
        }
    }
    ~ScopedLocale()
    {
        for (size_t i = 0; i < std::size(kNames); ++i)
            portable::setEnvironment(kNames[i], m_saved[i] ? m_saved[i]->c_str() : nullptr);
    }

private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    std::vector<std::optional<std::string>> m_saved;
};

// A terminal that records what the tool asks of it.
class FakeTerminal : public CTerminal
{
public:
    explicit FakeTerminal(bool interactive) : m_interactive(interactive) {}
    bool isInteractive() override { return m_interactive; }
    void echoOff() override { events += "off "; }
    void echoOn() override { events += "on "; }
    std::string events;

private:
    bool m_interactive;
};

int occurrences(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

struct Result {
    int status = -1;
    std::vector<std::string> lines;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test
{
protected:
    void SetUp() override { std::ofstream(path("password")) << kPassword << "\n"; }

    std::string path(const std::string& name) const { return m_temp.path(name); }

    // A simulated gateway on address n; stopped when the test ends.
    sim::Simulator& startSim(int n, int version, sim::Faults faults = {}, uint32_t seed = 1)
    {
        sim::Config config;
        config.address = testsupport::loopbackAddress(n);
        config.version = version;
        config.password = kPassword;
        config.seed = seed;
        config.faults = faults;
        auto simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        EXPECT_TRUE(simulator->start(&error)) << error;
        m_sims.push_back(std::move(simulator));
        return *m_sims.back();
    }
    static std::string addressOf(const sim::Simulator& s) { return s.config().address; }
    // Small gateway objects for tests that look at the tool, not the transfer: a job is then
    // quicker by the Base64 and file work on about 350 KB.
    static sim::Simulator& withSmallObjects(sim::Simulator& s)
    {
        for (int i = 0; i < 4; ++i)
            s.setObject(i, sim::Bytes(16, static_cast<uint8_t>(i)));
        return s;
    }

    // The tool with args after its name; input is what it reads, at a terminal when one is given.
    Result call(std::vector<std::string> args, const std::string& input = {}, CTerminal* terminal = nullptr)
    {
        args.insert(args.begin(), "nexo-backup-cli");
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        FakeTerminal pipe(false);
        Result r;
        r.status = runCli(args, {in, out, err, terminal ? *terminal : pipe});
        r.out = out.str();
        r.err = err.str();
        r.lines = testsupport::splitLines(r.out);
        return r;
    }
    // ... with the time scale of the tests.
    Result run(std::vector<std::string> args, const std::string& input = {}, CTerminal* terminal = nullptr)
    {
        args.push_back("--time-scale");
        args.push_back(kScale);
        return call(args, input, terminal);
    }

    Result backup(const std::string& address, const std::string& file, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"backup", address, file, "--password-file", path("password")};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args);
    }
    Result restore(const std::string& address, const std::string& file)
    {
        return run({"restore", address, file, "--password-file", path("password")});
    }

    ScopedLocale m_locale{"es_ES.UTF-8"};  // the texts of the tool are then those text() builds
    testsupport::ScopedTempDir m_temp{"nexo-cli"};
    std::vector<std::unique_ptr<sim::Simulator>> m_sims;
};

TEST_F(Cli, BackupFollowsTheGatewayVersion)
{
    // 106 has no password: without --password-file and without a terminal it still completes.
    {
        const std::string address = addressOf(startSim(1, 106));
        const std::string file = path("106.mrk");
        const Result r = run({"backup", address, file});
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected = gatewayBackupLines(106, file);
        expected.push_back(text(MSG_CONNECTION_CLOSED));
        EXPECT_EQ(r.lines, expected);
        EXPECT_NE(testsupport::readFile(file).find("Global.Version=106"), std::string::npos);
    }
    {
        const std::string address = addressOf(startSim(2, 107));
        const std::string file = path("107.mrk");
        const Result r = backup(address, file);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected = gatewayBackupLines(107, file);
        expected.push_back(text(MSG_CONNECTION_CLOSED));
        EXPECT_EQ(r.lines, expected);
        EXPECT_FALSE(hasLine(r.lines, text(MSG_WAIT_FOR_GATEWAY)));
        EXPECT_EQ(testsupport::readFile(file).find("SKD"), std::string::npos);
    }
    {
        const std::string address = addressOf(startSim(3, 108));
        const std::string file = path("108.mrk");
        const Result r = backup(address, file);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected = gatewayBackupLines(108, file);
        expected.push_back(text(MSG_WAIT_FOR_GATEWAY));
        for (const char* n : {"1", "2", "5"}) {
            expected.push_back(text(MSG_SKD_BACKUP_START, n));
            expected.push_back(text(MSG_SKD_BACKUP_DONE, n));
        }
        expected.push_back(text(MSG_CONNECTION_CLOSED));
        EXPECT_EQ(r.lines, expected);
        EXPECT_EQ(r.err.find(kPassword), std::string::npos);
        const std::string content = testsupport::readFile(file);
        for (const char* key : {"SKD0.MASTER=192", "SKD1.Data=", "SKD2.Data=", "SKD5.Data=", "SKD5.CRC="})
            EXPECT_NE(content.find(key), std::string::npos) << key;
    }
}

TEST_F(Cli, PasswordRefusedOrMissing)
{
    const std::string address = addressOf(withSmallObjects(startSim(10, 108)));

    std::ofstream(path("wrong")) << "falsch\n";
    const Result refused = run({"backup", address, path("r.mrk"), "--password-file", path("wrong")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.lines, (std::vector<std::string>{text(MSG_GATEWAY_VERSION, 108.0), text(MSG_PASSWORDS_DIFFER),
                                                       text(MSG_CONNECTION_CLOSED)}));
    EXPECT_NE(refused.err.find(text(MSG_WRONG_PASSWORD)), std::string::npos) << refused.err;

    // No password file and no terminal: the question is cancelled and the tool says why.
    const Result cancelled = run({"backup", address, path("c.mrk")});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.lines, std::vector<std::string>{text(MSG_GATEWAY_VERSION, 108.0)});
    EXPECT_NE(cancelled.err.find("password"), std::string::npos) << cancelled.err;

    // The password may come on standard input.
    const Result piped = run({"backup", address, path("s.mrk"), "--password-file", "-", "--skd", "none"}, kPassword + "\n");
    EXPECT_EQ(piped.status, 0) << piped.err;
}

TEST_F(Cli, PasswordTypedAtTheTerminal)
{
    const std::string address = addressOf(withSmallObjects(startSim(11, 107)));
    struct Case {
        const char* what;
        std::string typed;
        int status;
        int prompts;
        bool charsetRefused;
    };
    const std::vector<Case> cases = {
        {"typed", kPassword + "\n", 0, 1, false},
        {"typed with a CR LF", kPassword + "\r\n", 0, 1, false},
        {"asked again after a character the gateway cannot take", kCheckMark + "\n" + kPassword + "\n", 0, 2, true},
        {"end of input", "", 1, 1, false},
        {"three unusable answers", kCheckMark + "\n" + kCheckMark + "\n" + kCheckMark + "\n" + kPassword + "\n", 1, 3,
         true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeTerminal terminal(true);
        const std::string file = path("t" + std::to_string(n++) + ".mrk");
        const Result r = run({"backup", address, file}, c.typed, &terminal);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(occurrences(r.err, "Gateway password: "), c.prompts) << r.err;
        // The echo is off while each answer is read, and back on after it.
        std::string events;
        for (int i = 0; i < c.prompts; ++i)
            events += "off on ";
        EXPECT_EQ(terminal.events, events);
        EXPECT_EQ(r.err.find("Windows-1252") != std::string::npos, c.charsetRefused) << r.err;
        EXPECT_EQ(r.err.find("geheim"), std::string::npos);
        if (c.status == 0) {
            EXPECT_EQ(r.lines.back(), text(MSG_CONNECTION_CLOSED));
        } else {
            EXPECT_NE(r.err.find("No password given"), std::string::npos) << r.err;
            EXPECT_FALSE(fs::exists(file));
        }
    }
}

TEST_F(Cli, GatewayThatDoesNotAnswer)
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

    const Result r = backup(address, path("n.mrk"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.lines, std::vector<std::string>{text(MSG_CONNECT_FAILED)});

    for (testsupport::Socket& s : fillers)
        portable::closeSocket(s);
    portable::closeSocket(listener);
}

TEST_F(Cli, BusThatRefusesEveryConnect)
{
    sim::Faults faults;
    faults.refuseBus = true;
    const std::string address = addressOf(withSmallObjects(startSim(21, 108, faults)));
    const Result r = backup(address, path("b.mrk"));
    EXPECT_EQ(r.status, 1);
    ASSERT_GE(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[r.lines.size() - 2], text(MSG_WAIT_FOR_GATEWAY));
    EXPECT_EQ(r.lines.back(), text(MSG_CONNECT_FAILED));
}

TEST_F(Cli, SkdChoice)
{
    const std::string address = addressOf(withSmallObjects(startSim(30, 108)));
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
        const Result r = backup(address, file, {"--skd", c.choice});
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.lines.back(), text(MSG_CONNECTION_CLOSED));
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

TEST_F(Cli, RestoreMakesAFreshGatewayEqualToTheOriginal)
{
    const sim::Simulator& original = startSim(40, 108, {}, 11);
    const std::string file = path("round.mrk");
    ASSERT_EQ(backup(addressOf(original), file).status, 0);

    const sim::Simulator& fresh = startSim(41, 108, {}, 22);
    ASSERT_FALSE(fresh.sameState(original));
    const Result r = restore(addressOf(fresh), file);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.lines.back(), text(MSG_CONNECTION_CLOSED));
    std::string difference;
    EXPECT_TRUE(fresh.sameState(original, &difference)) << difference;
}

TEST_F(Cli, CrcFailureAfterRestoreNamesTheSkds)
{
    const std::string original = addressOf(withSmallObjects(startSim(50, 108)));
    const std::string file = path("crc.mrk");
    ASSERT_EQ(backup(original, file).status, 0);

    sim::Faults faults;
    faults.ignoreWrites = {2, 5};
    const std::string deaf = addressOf(startSim(51, 108, faults, 5));
    const Result r = restore(deaf, file);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(hasLine(r.lines, text(MSG_SKD_NOT_RESTORED, "2")));
    EXPECT_TRUE(hasLine(r.lines, text(MSG_SKD_NOT_RESTORED, "5")));
    EXPECT_FALSE(hasLine(r.lines, text(MSG_SKD_NOT_RESTORED, "1")));
    EXPECT_NE(r.err.find(text(MSG_SKD_NOT_RESTORED, "2, 5")), std::string::npos) << r.err;
}

TEST_F(Cli, BadUsageIsRefusedBeforeAnythingConnects)
{
    std::ofstream(path("badpw")) << kCheckMark << "\n";
    std::ofstream(path("notdir")) << "x";
    fs::create_directory(path("folder"));
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
        {"restore of a missing file", {"restore", address, path("missing.mrk")}, "missing.mrk does not exist"},
        {"restore of a folder", {"restore", address, path("folder")}, "cannot be read"},
        {"backup into a missing folder", {"backup", address, path("nowhere/a.mrk")}, "nowhere"},
        {"backup below a file", {"backup", address, path("notdir/a.mrk")}, "notdir"},
        {"bad --skd", {"backup", address, path("a.mrk"), "--skd", "9"}, "--skd"},
        {"password without a byte", {"backup", address, path("a.mrk"), "--password-file", path("badpw")}, "Windows-1252"},
        {"missing password file", {"backup", address, path("a.mrk"), "--password-file", path("nopw")}, "nopw"},
    };
    for (const Case& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.what << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.what;
        if (c.says) {
            EXPECT_NE(r.err.find(c.says), std::string::npos) << c.what << ": " << r.err;
        }
    }
    EXPECT_FALSE(fs::exists(path("a.mrk")));
}

TEST_F(Cli, StatusLinesInTheUsersLanguage)
{
#ifdef _WIN32
    // There the language is the user's setting, not a variable; test-windows.sh checks it.
    GTEST_SKIP() << "Windows takes the language from the user's settings";
#endif
    const std::string address = addressOf(withSmallObjects(startSim(70, 106)));
    struct Case {
        const char* locale;
        const char* closed;  // the last line
    };
    const std::vector<Case> cases = {
        {"de_DE.UTF-8", "Die Verbindung zum NEXO wurde geschlossen."},
        {"de_AT", "Die Verbindung zum NEXO wurde geschlossen."},
        {"en_GB.UTF-8", "The communication with the NEXO has been closed."},
        {"es_ES.UTF-8", "Se ha cerrado la comunicaci\xC3\xB3n con el NEXO."},
        {"fr_FR.UTF-8", "La communication avec le NEXO a \xC3\xA9t\xC3\xA9 ferm\xC3\xA9" "e."},
        // Languages without a catalogue, and none: English.
        {"ja_JP.UTF-8", "The communication with the NEXO has been closed."},
        {"C", "The communication with the NEXO has been closed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const ScopedLocale locale(c.locale);
        const Result r = run({"backup", address, path("lang.mrk")});
        EXPECT_EQ(r.status, 0) << r.err;
        ASSERT_FALSE(r.lines.empty());
        EXPECT_EQ(r.lines.back(), c.closed);
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
    // The caller's texts are back once the tool has ended.
    EXPECT_EQ(activeResources(), nullptr);
}

TEST_F(Cli, HelpAndVersionGoToTheOutput)
{
    const Result version = call({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string(kProgramVersion) + "\n");
    const Result help = call({"backup", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--skd"), std::string::npos) << help.out;
    EXPECT_TRUE(help.err.empty()) << help.err;
}

}  // namespace
