// nexo-backup-cli against nexo-sim, both run as the real programs from the build folder: what
// only the real programs show (exit statuses, the terminal, one whole job). The tool's other
// paths are tested in-process (CliTest.cpp).
#include "CliExpect.h"
#include "Process.h"
#include "TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <regex>
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

// ---------------------------------------------------------------- the progress line

// A pseudo-terminal of the given width that a child writes to; what it wrote is read all along,
// so the child never blocks on a full terminal.
class TerminalCapture
{
public:
    explicit TerminalCapture(unsigned short columns)
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        struct winsize size {};
        size.ws_col = columns;
        size.ws_row = 24;
        ::ioctl(m_master, TIOCSWINSZ, &size);
        m_path = ::ptsname(m_master);
        m_reader = std::thread([this] {
            char buffer[4096];
            for (;;) {
                pollfd p{m_master, POLLIN, 0};
                const bool ready = ::poll(&p, 1, 20) > 0 && (p.revents & POLLIN);
                const ssize_t n = ready ? ::read(m_master, buffer, sizeof buffer) : 0;
                if (n > 0) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_bytes.append(buffer, static_cast<size_t>(n));
                } else if (m_done) {
                    break;
                }
            }
        });
    }
    ~TerminalCapture()
    {
        finish();
        if (m_master >= 0)
            ::close(m_master);
    }
    const std::string& path() const { return m_path; }
    // What the child wrote so far.
    std::string snapshot()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }
    // Everything the child wrote; call once it has ended.
    std::string finish()
    {
        m_done = true;
        if (m_reader.joinable())
            m_reader.join();
        return m_bytes;
    }

private:
    int m_master = -1;
    std::string m_path;
    std::thread m_reader;
    std::atomic<bool> m_done{false};
    std::mutex m_mutex;
    std::string m_bytes;
};

const std::regex kProgressDrawn(R"(\r\[[#-]{20}\] +[0-9]+%  [^\r\n]*?\x1b\[K)");
const std::string kProgressCleared = "\r\x1b[K";

std::string withoutProgress(const std::string& bytes)
{
    std::string rest = std::regex_replace(bytes, kProgressDrawn, "");
    for (size_t at; (at = rest.find(kProgressCleared)) != std::string::npos;)
        rest.erase(at, kProgressCleared.size());
    return rest;
}

std::vector<std::string> backupLines(const std::string& file)
{
    std::vector<std::string> lines = gatewayBackupLines(108, file);
    lines.push_back(text(MSG_WAIT_FOR_GATEWAY));
    for (const char* n : {"1", "2", "5"}) {
        lines.push_back(text(MSG_SKD_BACKUP_START, n));
        lines.push_back(text(MSG_SKD_BACKUP_DONE, n));
    }
    lines.push_back(text(MSG_CONNECTION_CLOSED));
    return lines;
}

// On a terminal the tool keeps one progress line that it rewrites in place, takes it away
// before every status line and puts it back after, and leaves none behind; the status lines
// themselves come out exactly as without it. --no-progress keeps the terminal free of it.
TEST_F(EndToEnd, ProgressLineOnATerminal)
{
    const std::string address = startSim(50, 108);
    struct Case {
        const char* name;
        std::vector<std::string> extra;
        bool progress;
    } cases[] = {
        {"a terminal", {}, true},
        {"--no-progress", {"--no-progress"}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        constexpr unsigned short kColumns = 60;
        TerminalCapture terminal(kColumns);
        ASSERT_FALSE(terminal.path().empty());
        const std::string file = path("pty" + std::to_string(n++) + ".mrk");
        std::vector<std::string> args = {m_bin + "/nexo-backup-cli", "backup", address, file, "--password-file",
                                         path("password"), "--time-scale", "0.01"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        std::vector<std::string> env = kEnv;
        env.push_back("TERM=xterm");
        Process cli(args, m_temp.dir(), {}, env, {}, terminal.path());
        ASSERT_TRUE(cli.started());
        EXPECT_EQ(cli.wait(60s), 0);
        const std::string bytes = terminal.finish();

        // The terminal turns each line end into CR LF.
        std::string expected;
        for (const std::string& line : backupLines(file))
            expected += line + "\r\n";
        EXPECT_EQ(withoutProgress(bytes), expected) << bytes;

        const auto drawn = std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), kProgressDrawn), std::sregex_iterator());
        if (!c.progress) {
            EXPECT_EQ(drawn, 0);
            EXPECT_EQ(bytes.find('\x1b'), std::string::npos);
            continue;
        }
        // Rewritten in place: one drawing right after another, with no line end between them;
        // in the user's language and within the terminal's width.
        EXPECT_GT(drawn, 3);
        EXPECT_NE(bytes.find("\x1b[K\r["), std::string::npos) << bytes;
        EXPECT_NE(bytes.find("%  Esperando al NEXO"), std::string::npos) << bytes;
        for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), kProgressDrawn); it != std::sregex_iterator(); ++it) {
            const std::string drawing = it->str().substr(1, it->str().size() - 4);
            const auto characters = std::count_if(drawing.begin(), drawing.end(),
                                                  [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; });
            EXPECT_LT(characters, kColumns) << drawing;
        }
        // Every status line after a drawing starts on a cleared line, and the last drawing is
        // taken away at the end.
        for (const std::string& line : backupLines(file)) {
            const size_t at = bytes.find(line);
            ASSERT_NE(at, std::string::npos) << line;
            const bool afterDrawing = bytes.rfind("\x1b[K", at) != std::string::npos;
            if (afterDrawing) {
                EXPECT_EQ(bytes.compare(at - kProgressCleared.size(), kProgressCleared.size(), kProgressCleared), 0) << line;
            }
        }
        ASSERT_GE(bytes.size(), kProgressCleared.size());
        EXPECT_EQ(bytes.substr(bytes.size() - kProgressCleared.size()), kProgressCleared);
    }
}

// Ctrl-C in the middle of a job: the progress line goes before the tool ends, so the shell's
// prompt comes on a clean line.
TEST_F(EndToEnd, InterruptTakesTheProgressLineAway)
{
    const std::string address = startSim(52, 108);
    TerminalCapture terminal(80);
    ASSERT_FALSE(terminal.path().empty());
    // At this scale the wait for the gateway lasts 3 s: time to see the line and interrupt.
    const std::vector<std::string> args = {m_bin + "/nexo-backup-cli", "backup", address, path("int.mrk"),
                                           "--password-file", path("password"), "--time-scale", "0.05"};
    std::vector<std::string> env = kEnv;
    env.push_back("TERM=xterm");
    Process cli(args, m_temp.dir(), {}, env, {}, terminal.path());
    ASSERT_TRUE(cli.started());
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (terminal.snapshot().find("%  Esperando al NEXO") == std::string::npos && cli.running() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(cli.running()) << terminal.snapshot();
    cli.interrupt();
    const std::string bytes = terminal.finish();
    ASSERT_NE(bytes.find("%  Esperando al NEXO"), std::string::npos) << bytes;
    ASSERT_GE(bytes.size(), kProgressCleared.size());
    EXPECT_EQ(bytes.substr(bytes.size() - kProgressCleared.size()), kProgressCleared) << bytes;
}

// Not on a terminal, not a byte of progress, unless --progress asks for it.
TEST_F(EndToEnd, NoProgressOnAPipeUnlessAskedFor)
{
    const std::string address = startSim(51, 108);
    const Run piped = backup(address, path("piped.mrk"));
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.lines, backupLines(path("piped.mrk")));
    EXPECT_EQ(piped.err, "");

    const Run forced = backup(address, path("forced.mrk"), {"--progress"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(forced.lines, backupLines(path("forced.mrk")));
    EXPECT_EQ(withoutProgress(forced.err), "");
    EXPECT_TRUE(std::regex_search(forced.err, kProgressDrawn)) << forced.err;
}

}  // namespace
