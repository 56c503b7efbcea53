// The command-line tool run in-process against the in-process simulator, over string streams.
#include "BackupText.h"
#include "DamagedBackups.h"
#include "CliExpect.h"
#include "Simulator.h"
#include "TestSupport.h"

#include "cli/Cli.h"
#include "bus/BusDefs.h"
#include "cli/Terminal.h"
#include "platform/Resources.h"
#include "resources/Version.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <functional>
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
        args.push_back(m_scale);
        return call(args, input, terminal);
    }
    std::string m_scale = kScale;

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
    // Whole jobs whose every SKD must come through: 100 ms a chunk instead of the 50 ms floor,
    // so that a loaded machine cannot make an SKD look silent.
    m_scale = "0.1";
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
        // A path, not a Windows-style option ("FILE is required") on any system.
        {"restore of a path that starts with /", {"restore", address, "/nexo-nowhere/a.mrk"},
         "/nexo-nowhere/a.mrk does not exist"},
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

// ---------------------------------------------------------------- backup files, without a network

using testsupport::BackupText;

// The problem lines of an inspection's text.
int problemLines(const std::vector<std::string>& lines)
{
    int n = 0;
    for (const std::string& line : lines)
        n += line.rfind("  refused: ", 0) == 0 || line.rfind("  incomplete: ", 0) == 0 || line.rfind("  note: ", 0) == 0;
    return n;
}

TEST_F(Cli, InspectNamesEveryProblemARestoreMeetsWithItsStatus)
{
    int n = 0;
    for (const testsupport::DamagedBackup& c : testsupport::damagedBackups()) {
        SCOPED_TRACE(c.what);
        BackupText text = BackupText::complete();
        c.damage(text);
        const std::string file = path("inspect" + std::to_string(n++) + ".mrk");
        ASSERT_TRUE(text.write(file));
        const Result r = call({"inspect", file});
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_EQ(problemLines(r.lines), static_cast<int>(c.problems.size())) << r.out;
        for (const std::string& problem : c.problems)
            EXPECT_TRUE(hasLine(r.lines, "  " + problem)) << problem << "\n" << r.out;
        EXPECT_EQ(hasLine(r.lines, "Problems: none"), c.problems.empty()) << r.out;
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
}

TEST_F(Cli, InspectTellsWhatTheFileHolds)
{
    BackupText single = BackupText::complete();
    single.setData("SKD2.CFG", {1, 2});
    single.remove("SKD2.CRC");
    ASSERT_TRUE(single.write(path("single.mrk"), "\n"));
    const Result r = call({"inspect", path("single.mrk")});
    const std::vector<std::string> head = {
        "File: " + path("single.mrk"),
        "Gateway version: 108 (restores to a gateway of version 108 only)",
        "Objects:",
        "  UserManagerConfig: 1000 bytes",
        "  ConfigManager: 200 bytes",
        "  DayLightConfig: 30 bytes",
        "  SystemTimeConfig: 4 bytes",
        "SKDs: single mode",
        "  SKD 1: template image 62000 bytes, CFG there, CRC there",
        "  SKD 2: template image 62000 bytes, CFG short (2 bytes), CRC missing",
        "Problems:",
    };
    ASSERT_GE(r.lines.size(), head.size()) << r.out;
    EXPECT_EQ(std::vector<std::string>(r.lines.begin(), r.lines.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(r.lines.back(), "Verdict: incomplete: a restore would leave part of this file unrestored");
    EXPECT_EQ(r.status, 1);

    BackupText master = BackupText::complete();
    master.set("SKD0.MASTER", "194");
    for (const char* key : {"SKD1.DataLength", "SKD1.Data", "SKD1.CFG", "SKD1.CRC"})
        master.remove(key);
    ASSERT_TRUE(master.write(path("master.mrk")));
    const Result m = call({"inspect", path("master.mrk")});
    EXPECT_EQ(m.status, 0) << m.out;
    EXPECT_TRUE(hasLine(m.lines, "SKDs: master mode, master SKD 2")) << m.out;
    EXPECT_EQ(m.lines.back(), "Verdict: complete: a restore would find this file complete");
}

TEST_F(Cli, InspectAsJson)
{
    BackupText text = BackupText::complete();
    text.set("SKD0.MASTER", "193");
    text.remove("SKD2.CRC");
    // Keys are bytes of the system's code page: a quote, a control character and a
    // Windows-1252 letter must come out as valid JSON in UTF-8.
    text.set("Fo\"o\x01\xFC", "1");
    text.appendLine("garbage");
    ASSERT_TRUE(text.write(path("j.mrk")));
    const Result r = call({"inspect", path("j.mrk"), "--json"});
    EXPECT_EQ(r.status, 0) << r.out;
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(r.out);
    } catch (const std::exception& e) {
        FAIL() << e.what() << "\n" << r.out;
    }
    try {
        EXPECT_EQ(doc["file"].get<std::string>(), path("j.mrk"));
        EXPECT_EQ(doc["version"].get<double>(), 108);
        EXPECT_EQ(doc["restoresTo"].get<double>(), 108);
        ASSERT_EQ(doc["objects"].size(), 4u);
        EXPECT_EQ(doc["objects"][1]["name"].get<std::string>(), "ConfigManager");
        EXPECT_EQ(doc["objects"][1]["dataLength"].get<double>(), 200);
        EXPECT_EQ(doc["objects"][1]["dataBytes"].get<double>(), 200);
        EXPECT_EQ(doc["mode"].get<std::string>(), "master");
        EXPECT_EQ(doc["master"].get<double>(), 1);
        ASSERT_EQ(doc["skds"].size(), 2u);
        EXPECT_EQ(doc["skds"][1]["number"].get<double>(), 2);
        EXPECT_EQ(doc["skds"][1]["dataLength"].get<double>(), 62000);
        EXPECT_TRUE(doc["skds"][1]["crcBytes"].is_null());
        EXPECT_FALSE(doc["skds"][1]["crc"].get<bool>());
        EXPECT_TRUE(doc["skds"][1]["cfg"].get<bool>());
        const nlohmann::json& problems = doc["problems"];
        ASSERT_EQ(problems.size(), 3u) << r.out;
        EXPECT_EQ(problems[0]["code"].get<std::string>(), "master-image-unused");  // SKD 2's image: master mode writes SKD 1's
        EXPECT_EQ(problems[1]["code"].get<std::string>(), "unknown-key");
        EXPECT_EQ(problems[1]["key"].get<std::string>(), "Fo\"o\x01\xC3\xBC");
        EXPECT_EQ(problems[2]["code"].get<std::string>(), "line-ignored");
        EXPECT_EQ(problems[2]["line"].get<double>(), 19);
        EXPECT_TRUE(problems[2]["key"].is_null());
        EXPECT_EQ(problems[2]["severity"].get<std::string>(), "note");
        EXPECT_EQ(problems[2]["message"].get<std::string>(), "line 19 has no \"=\" and is ignored");
        EXPECT_EQ(doc["verdict"].get<std::string>(), "complete");
    } catch (const std::exception& e) {
        FAIL() << e.what() << "\n" << r.out;
    }

    text.remove("Global.Version");
    ASSERT_TRUE(text.write(path("j.mrk")));
    const Result refused = call({"inspect", path("j.mrk"), "--json"});
    EXPECT_EQ(refused.status, 1);
    const nlohmann::json doc2 = nlohmann::json::parse(refused.out);
    EXPECT_TRUE(doc2["version"].is_null());
    EXPECT_TRUE(doc2["restoresTo"].is_null());
    EXPECT_EQ(doc2["problems"][0]["severity"].get<std::string>(), "refused");
    EXPECT_EQ(doc2["verdict"].get<std::string>(), "refused");
}

TEST_F(Cli, DiffComparesWhatARestoreReads)
{
    const BackupText base = BackupText::complete();
    ASSERT_TRUE(base.write(path("a.mrk")));
    struct Case {
        const char* what;
        std::function<void(BackupText&)> change;
        std::string lineEnd;
        std::vector<std::string> lines;  // lines that must be there
        int status;
    };
    const std::vector<Case> cases = {
        {"other line order, line ends and skipped lines",
         [](BackupText& f) {
             const std::string version = "108";
             f.remove("Global.Version");
             f.appendLine("just a comment");
             f.set("Global.Version", version);
         },
         "\n",
         {"Global.Version: equal (108)", "ConfigManager: equal (200 bytes)", "SKD1 image: equal (62000 bytes)",
          "SKD2.CRC: equal (5 bytes)", "The files are equal."},
         0},
        {"one byte of an object",
         [](BackupText& f) {
             auto bytes = f.data("ConfigManager.Data");
             bytes[17] ^= 0x01;
             f.setData("ConfigManager.Data", bytes);
         },
         "\r\n", {"ConfigManager: differs: A 200 bytes, B 200 bytes, first difference at byte 17", "The files differ."}, 1},
        {"a shorter image",
         [](BackupText& f) {
             auto bytes = f.data("SKD1.Data");
             bytes.resize(1000);
             f.setData("SKD1.Data", bytes);
             f.set("SKD1.DataLength", "1000");
         },
         "\r\n", {"SKD1 image: differs: A 62000 bytes, B 1000 bytes, first difference at byte 1000"}, 1},
        {"an SKD in one file only",
         [](BackupText& f) {
             for (const char* key : {"SKD2.DataLength", "SKD2.Data", "SKD2.CFG", "SKD2.CRC"})
                 f.remove(key);
         },
         "\r\n", {"SKD2 image: only in A (62000 bytes)", "SKD2.CFG: only in A (5 bytes)", "SKD2.CRC: only in A (5 bytes)"},
         1},
        {"a record in the other file only", [](BackupText& f) { f.setData("SKD3.CRC", {1, 2, 3, 4, 5}); }, "\r\n",
         {"SKD3.CRC: only in B (5 bytes)"}, 1},
        {"the version", [](BackupText& f) { f.set("Global.Version", "109"); }, "\r\n",
         {"Global.Version: differs: A 108, B 109"}, 1},
        {"the master", [](BackupText& f) { f.set("SKD0.MASTER", "194"); }, "\r\n", {"SKD0.MASTER: differs: A 192, B 194"},
         1},
        {"a DataLength only", [](BackupText& f) { f.set("UserManagerConfig.DataLength", "999"); }, "\r\n",
         {"UserManagerConfig: differs: A 1000 bytes, B 999 bytes, first difference at byte 999"}, 1},
        // What a restore never reads is a note, not a difference.
        {"bytes beyond the DataLength",
         [](BackupText& f) {
             auto bytes = f.data("UserManagerConfig.Data");
             bytes.push_back(0x55);
             f.setData("UserManagerConfig.Data", bytes);
         },
         "\r\n",
         {"UserManagerConfig: equal (1000 bytes)",
          "note: UserManagerConfig.Data differs beyond the 1000 bytes a restore reads (A 1000 bytes, B 1001 bytes)",
          "The files are equal."},
         0},
        {"a record beyond its 5 bytes",
         [](BackupText& f) {
             auto bytes = f.data("SKD1.CFG");
             bytes.push_back(0x01);
             f.setData("SKD1.CFG", bytes);
         },
         "\r\n",
         {"SKD1.CFG: equal (5 bytes)",
          "note: SKD1.CFG differs beyond the 5 bytes a restore reads (A 5 bytes, B 6 bytes)", "The files are equal."},
         0},
        {"the master beyond its low 8 bits", [](BackupText& f) { f.set("SKD0.MASTER", "448"); }, "\r\n",
         {"SKD0.MASTER: equal (192)", "note: SKD0.MASTER is 192 in A and 448 in B, both read as 192",
          "The files are equal."},
         0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BackupText other = base;
        c.change(other);
        const std::string b = path("b" + std::to_string(n++) + ".mrk");
        ASSERT_TRUE(other.write(b, c.lineEnd));
        const Result r = call({"diff", path("a.mrk"), b});
        EXPECT_EQ(r.status, c.status) << r.out;
        for (const std::string& line : c.lines)
            EXPECT_TRUE(hasLine(r.lines, line)) << line << "\n" << r.out;
        // Whatever else is listed is equal.
        int unequal = 0;
        for (const std::string& line : r.lines)
            unequal += line.find(": differs: ") != std::string::npos || line.find(": only in ") != std::string::npos;
        int expectedUnequal = 0;
        for (const std::string& line : c.lines)
            expectedUnequal += line.find(": differs: ") != std::string::npos || line.find(": only in ") != std::string::npos;
        EXPECT_EQ(unequal, expectedUnequal) << r.out;
    }
}

// A backup file changed as an editor would: edit gets the whole text.
void editFile(const std::string& path, const std::function<void(std::string&)>& edit)
{
    std::string content = testsupport::readFile(path);
    edit(content);
    ASSERT_TRUE(testsupport::writeFile(path, content));
}

// The value of key in a file's text: its first character and its length.
std::pair<size_t, size_t> valueOf(const std::string& content, const std::string& key)
{
    const size_t at = content.find(key + "=");
    EXPECT_NE(at, std::string::npos) << key;
    const size_t first = at + key.size() + 1;
    return {first, content.find('\r', first) - first};
}

void removeLine(std::string& content, const std::string& key)
{
    const size_t at = content.find(key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    content.erase(at, content.find('\n', at) + 1 - at);
}

// Damage that would reach the gateway or an SKD is refused before anything is written, and what
// a restore cannot put back is not reported as success.
TEST_F(Cli, RestoreOfADamagedBackup)
{
    const sim::Simulator& original = withSmallObjects(startSim(110, 108, {}, 11));
    const std::string good = path("good.mrk");
    ASSERT_EQ(backup(addressOf(original), good).status, 0);
    const std::string cfgLine = "Error: el SKD 1 no ha recibido su registro de configuraci\xC3\xB3n";
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        sim::Faults faults;
        int status;
        bool connects;        // false: refused before anything connects
        bool objectsWritten;
        const char* line;     // in a status line, or nullptr
        const char* error;    // on the error stream, or nullptr
        bool sameAsOriginal;
    };
    sim::Faults cfgUnanswered;
    cfgUnanswered.dropReplyCode = bus::CMD_WRITE_CFG;
    cfgUnanswered.dropReplyIndex = 1;
    const std::vector<Case> cases = {
        {"one Base64 character more in an object",
         [](std::string& f) { f.insert(valueOf(f, "DayLightConfig.Data").first + 3, 1, 'A'); }, {}, 1, true, false,
         "ERROR -- checkDataFile", nullptr, false},
        {"one Base64 character more in an SKD image",
         [](std::string& f) { f.insert(valueOf(f, "SKD1.Data").first + 3, 1, 'A'); }, {}, 1, true, false,
         "ERROR -- checkDataFile", nullptr, false},
        {"an SKD image cut short",
         [](std::string& f) {
             const auto [first, length] = valueOf(f, "SKD1.Data");
             f.erase(first + length / 2 / 4 * 4, length - length / 2 / 4 * 4);
             const auto [lengthAt, digits] = valueOf(f, "SKD1.DataLength");
             f.replace(lengthAt, digits, std::to_string((length / 2 / 4) * 3));
         },
         {}, 1, false, false, nullptr, "SKD 1", false},
        {"no configuration record", [](std::string& f) { removeLine(f, "SKD1.CFG"); }, {}, 1, true, true,
         cfgLine.c_str(), nullptr, false},
        {"a configuration record nobody acknowledges", [](std::string&) {}, cfgUnanswered, 1, true, true,
         cfgLine.c_str(), nullptr, true},
        {"a byte order mark before the first line", [](std::string& f) { f.insert(0, "\xEF\xBB\xBF"); }, {}, 0, true,
         true, nullptr, nullptr, true},
    };
    int n = 111;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("damaged" + std::to_string(n) + ".mrk");
        fs::copy_file(good, file);
        editFile(file, c.damage);
        sim::Simulator& fresh = startSim(n++, 108, c.faults, 22);
        const auto objectsBefore = fresh.objects();
        const Result r = restore(addressOf(fresh), file);
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_EQ(fresh.gatewayConnections() > 0, c.connects) << r.out;
        bool restoreRequest = false;
        for (const sim::GatewayRequest& q : fresh.gatewayRequests())
            restoreRequest = restoreRequest || q.type == 1;
        EXPECT_EQ(restoreRequest, c.objectsWritten) << r.out;
        if (!c.objectsWritten) {
            EXPECT_EQ(fresh.objects(), objectsBefore);
            EXPECT_EQ(fresh.busConnections(), 0);
        }
        if (c.line) {
            EXPECT_EQ(occurrences(r.out, c.line), 1) << r.out;
        }
        if (c.error) {
            EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("--skd"), std::string::npos) << r.err;
        }
        std::string difference;
        EXPECT_EQ(fresh.sameState(original, &difference), c.sameAsOriginal) << difference;
    }
}

// Every bus request of a restore of SKD number alone goes to that SKD, apart from the bus scan,
// the programming mode and the final reset.
void expectOnlySkdTouched(const sim::Simulator& simulator, int number)
{
    int own = 0;
    for (const sim::BusRequest& q : simulator.busRequests()) {
        if (q.code == bus::CMD_PROBE || q.code == bus::CMD_PROG_ON || q.code == bus::CMD_PROG_OFF ||
            (q.code == bus::CMD_RESET && q.destination == bus::ADDR_ALL_SKDS))
            continue;
        EXPECT_EQ(q.destination, bus::skdAddress(number)) << "request code " << int(q.code);
        own += q.destination == bus::skdAddress(number);
    }
    EXPECT_GT(own, 0);
}

TEST_F(Cli, RestoreOfPartOfAFile)
{
    const sim::Simulator& original = startSim(80, 108, {}, 11);
    const std::string file = path("part.mrk");
    ASSERT_EQ(backup(addressOf(original), file).status, 0);
    struct Case {
        const char* what;
        std::vector<std::string> options;
        bool objectsWritten;
        int skd;  // restored alone; 0: none, and no bus connection
    };
    const std::vector<Case> cases = {
        {"the gateway only", {"--skd", "none"}, true, 0},
        {"one SKD", {"--skd", "2"}, true, 2},
        {"one SKD, not the gateway's objects", {"--skd", "5", "--no-gateway-data"}, false, 5},
    };
    int n = 81;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Simulator& fresh = startSim(n++, 108, {}, 22);
        const auto objectsBefore = fresh.objects();
        const auto skdsBefore = fresh.skds();
        std::vector<std::string> args = {"restore", addressOf(fresh), file, "--password-file", path("password")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.lines.front(), text(MSG_GATEWAY_VERSION, 108.0));
        EXPECT_EQ(r.lines.back(), text(MSG_CONNECTION_CLOSED));
        EXPECT_EQ(hasLine(r.lines, text(MSG_RESTORE_DONE)), c.objectsWritten);
        EXPECT_EQ(hasLine(r.lines, text(MSG_WAIT_FOR_GATEWAY)), c.skd != 0);

        EXPECT_EQ(fresh.objects() == original.objects(), c.objectsWritten);
        if (!c.objectsWritten) {
            EXPECT_EQ(fresh.objects(), objectsBefore);
            for (const sim::GatewayRequest& q : fresh.gatewayRequests())
                EXPECT_NE(q.type, 1) << "restore request";
        }
        if (c.skd == 0) {
            EXPECT_EQ(fresh.busConnections(), 0);
        } else {
            expectOnlySkdTouched(fresh, c.skd);
            EXPECT_TRUE(hasLine(r.lines, text(MSG_SKD_RESTORE_DONE, std::to_string(c.skd))));
        }
        for (const auto& [number, skd] : fresh.skds()) {
            SCOPED_TRACE(number);
            const sim::SkdState expected = number == c.skd ? original.skds().at(number) : skdsBefore.at(number);
            EXPECT_TRUE(skd.memory == expected.memory);
            EXPECT_EQ(skd.cfg, expected.cfg);
        }
    }
}

TEST_F(Cli, FileCommandsAndRestoreScopeRefuseBadUsage)
{
    BackupText text = BackupText::complete();  // SKDs 1 and 2
    text.set("SKD2.DataLength", "0");
    ASSERT_TRUE(text.write(path("f.mrk")));
    BackupText old = BackupText::complete();
    old.set("Global.Version", "107");
    ASSERT_TRUE(old.write(path("107.mrk")));
    BackupText noSkd = BackupText::complete();
    for (const char* key : {"SKD0.MASTER", "SKD1.DataLength", "SKD1.Data", "SKD1.CFG", "SKD1.CRC", "SKD2.DataLength",
                            "SKD2.Data", "SKD2.CFG", "SKD2.CRC"})
        noSkd.remove(key);
    ASSERT_TRUE(noSkd.write(path("noskd.mrk")));
    fs::create_directory(path("folder"));
    const std::string address = testsupport::loopbackAddress(99);  // nothing listens: a connect would post 116
    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"inspect without a file", {"inspect"}, nullptr},
        {"inspect of a missing file", {"inspect", path("missing.mrk")}, "missing.mrk cannot be read"},
        {"inspect of a folder", {"inspect", path("folder")}, "cannot be read"},
        {"diff of one file", {"diff", path("f.mrk")}, nullptr},
        {"diff with a missing file", {"diff", path("f.mrk"), path("missing.mrk")}, "missing.mrk cannot be read"},
        {"restore of nothing at all", {"restore", address, path("f.mrk"), "--skd", "none", "--no-gateway-data"},
         "restore nothing"},
        {"restore of an SKD the file lacks", {"restore", address, path("f.mrk"), "--skd", "3"}, "SKD 3"},
        {"restore of an SKD whose image is unusable", {"restore", address, path("f.mrk"), "--skd", "2"}, "SKD 2"},
        {"restore of an SKD to a gateway without SKDs", {"restore", address, path("107.mrk"), "--skd", "1"}, "SKD 1"},
        {"bad --skd", {"restore", address, path("f.mrk"), "--skd", "0"}, "--skd"},
        {"--no-gateway-data with a backup", {"backup", address, path("b.mrk"), "--no-gateway-data"}, nullptr},
        {"--no-gateway-data for a gateway without SKDs", {"restore", address, path("107.mrk"), "--no-gateway-data"},
         "--no-gateway-data"},
        {"--no-gateway-data for a file without SKDs", {"restore", address, path("noskd.mrk"), "--no-gateway-data"},
         "--no-gateway-data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = call(c.args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        if (c.says) {
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        }
    }
}

}  // namespace
