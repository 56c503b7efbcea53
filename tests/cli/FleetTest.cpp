// nexo-backup-cli fleet against nexo-sim programs, all real programs from the build folder:
// the sites' results, the archive over several runs, a refused inventory and a stop request.
#include "CliExpect.h"
#include "Process.h"
#include "TestSupport.h"

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using testsupport::Process;
using namespace clitest;
using nlohmann::json;

const std::string kPassword = "fleet pw";
const std::vector<std::string> kEnv = {"LC_ALL=es_ES.UTF-8", "LANG=es_ES.UTF-8", "LC_MESSAGES=es_ES.UTF-8", "LANGUAGE="};
const std::regex kGoodName(R"(([a-z0-9-]+)-[0-9]{8}T[0-9]{6}Z(-[0-9]+)?\.mrk)");
const std::regex kFailedName(R"(([a-z0-9-]+)-[0-9]{8}T[0-9]{6}Z(-[0-9]+)?-failed\.mrk)");

class Fleet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bin = fs::current_path().string();
        writeSecret("password", kPassword);
        writeSecret("wrong", "not the password");
    }
    void TearDown() override { m_sims.clear(); }

    std::string path(const std::string& name) const { return m_temp.path(name); }
    std::string archive() const { return path("archive"); }

    void writeSecret(const std::string& name, const std::string& text)
    {
        ASSERT_TRUE(testsupport::writeFile(path(name), text + "\n"));
        ::chmod(path(name).c_str(), 0600);
    }

    // nexo-sim on address n; answers its address.
    std::string startSim(int n, std::vector<std::string> extra = {}, const std::string& scale = "0.01")
    {
        const std::string address = testsupport::loopbackAddress(n);
        const std::string ready = path("ready" + std::to_string(m_simsStarted++));
        std::vector<std::string> args = {m_bin + "/nexo-sim", "--address", address, "--version", "108", "--password",
                                         kPassword, "--time-scale", scale, "--ready-file", ready};
        args.insert(args.end(), extra.begin(), extra.end());
        auto sim = std::make_unique<Process>(args, m_temp.dir());
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!fs::exists(ready) && sim->running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(fs::exists(ready)) << "nexo-sim did not come up: " << sim->err();
        m_sims.push_back(std::move(sim));
        return address;
    }

    void writeInventory(const std::string& text) { ASSERT_TRUE(testsupport::writeFile(path("fleet.toml"), text)); }

    static std::string site(const std::string& name, const std::string& address, const std::string& extra = {})
    {
        return "[site." + name + "]\naddress = \"" + address + "\"\n" + extra + "\n";
    }

    std::vector<std::string> fleetArgs(const std::string& scale, std::vector<std::string> extra) const
    {
        std::vector<std::string> args = {m_bin + "/nexo-backup-cli", "fleet", path("fleet.toml"), "--archive",
                                         archive(), "--json", path("report.json"), "--time-scale", scale};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    struct Run {
        int status = -1;
        std::string out;
        std::string err;
        json report;
    };

    Run runFleet(std::vector<std::string> extra = {}, const std::string& scale = "0.01")
    {
        fs::remove(path("report.json"));
        Process fleet(fleetArgs(scale, extra), m_temp.dir(), {}, kEnv);
        EXPECT_TRUE(fleet.started());
        Run run;
        run.status = fleet.wait(120s);
        run.out = fleet.out();
        run.err = fleet.err();
        run.report = readReport();
        return run;
    }

    json readReport() const
    {
        const std::string text = testsupport::readFile(path("report.json"));
        return text.empty() ? json() : json::parse(text, nullptr, false);
    }

    static const json& siteOf(const json& report, const std::string& name)
    {
        static const json none;
        if (report.contains("sites"))
            for (const json& s : report["sites"])
                if (s["name"] == name)
                    return s;
        return none;
    }

    // The names in the site's folder of the archive (dot files included).
    std::vector<std::string> files(const std::string& name) const
    {
        return testsupport::folderEntries(archive() + "/" + name);
    }

    testsupport::ScopedTempDir m_temp{"nexo-fleet"};
    std::string m_bin;
    std::vector<std::unique_ptr<Process>> m_sims;
    int m_simsStarted = 0;
};

// One run over every kind of site: each gets its own result, the good ones their backups,
// and none stops another.
TEST_F(Fleet, EachSiteGetsItsOwnResult)
{
    const std::string good = startSim(1);
    const std::string second = startSim(2, {"--seed", "7"});
    const std::string hanging = startSim(3, {"--silent-request", "0"});
    const std::string unreachable = testsupport::loopbackAddress(4);
    // At time scale 0.01 the job's own reply wait is 1.2 s: the 40 s time-out (0.4 s) ends it first.
    writeInventory("[defaults]\npassword_file = \"password\"\n\n" + site("good", good) + site("second", second, "skd = \"all\"") +
                   site("refused", startSim(5), "password_file = \"wrong\"") + site("unreachable", unreachable) +
                   site("hanging", hanging, "timeout = 40"));
    const Run r = runFleet({"--jobs", "3"});
    EXPECT_EQ(r.status, 1) << r.err;
    ASSERT_TRUE(r.report.is_object()) << r.out << r.err;

    struct Expected {
        const char* name;
        const char* result;
        std::string firstFailure;  // empty: none
    };
    const std::vector<Expected> expected = {
        {"good", "succeeded", ""},
        {"second", "succeeded", ""},
        {"refused", "failed", text(MSG_PASSWORDS_DIFFER)},
        {"unreachable", "failed", text(MSG_CONNECT_FAILED)},
        {"hanging", "timed out", ""},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const json& s = siteOf(r.report, e.name);
        ASSERT_TRUE(s.is_object());
        EXPECT_EQ(s["result"], e.result) << s.dump(2);
        if (!e.firstFailure.empty()) {
            EXPECT_EQ(s["first_failure"], e.firstFailure) << s.dump(2);
        }
        // Only a good backup has a good name; nothing is left in the folder the job wrote in.
        for (const std::string& f : files(e.name)) {
            EXPECT_NE(f, ".incomplete");
            if (std::string(e.result) != "succeeded") {
                EXPECT_FALSE(std::regex_match(f, kGoodName)) << f;
            }
        }
        // The table has a row for it.
        EXPECT_TRUE(std::regex_search(r.out, std::regex("\n" + std::string(e.name) + " +" + e.result))) << r.out;
    }
    for (const char* name : {"good", "second"}) {
        const json& s = siteOf(r.report, name);
        const std::vector<std::string> names = files(name);
        ASSERT_EQ(names.size(), 1u);
        EXPECT_TRUE(std::regex_match(names[0], kGoodName)) << names[0];
        EXPECT_EQ(s["file"], std::string(name) + "/" + names[0]);
        EXPECT_EQ(s["change"], "first");
        EXPECT_EQ(s["status_lines"].back(), text(MSG_CONNECTION_CLOSED));
    }
    // The second site backed up its SKDs too.
    const std::string second_file = testsupport::readFile(archive() + "/" + siteOf(r.report, "second")["file"].get<std::string>());
    EXPECT_NE(second_file.find("SKD5.CRC="), std::string::npos);
    EXPECT_EQ(testsupport::readFile(archive() + "/" + siteOf(r.report, "good")["file"].get<std::string>()).find("SKD5"),
              std::string::npos);

    const json& hung = siteOf(r.report, "hanging");
    EXPECT_GE(hung["duration_seconds"].get<double>(), 0.39);
    EXPECT_NE(hung["first_failure"].get<std::string>().find("time-out"), std::string::npos) << hung.dump(2);
    EXPECT_EQ(r.report["counts"]["succeeded"], 2);
    EXPECT_EQ(r.report["counts"]["failed"], 2);
    EXPECT_EQ(r.report["counts"]["timed out"], 1);
}

// Over several runs: unchanged against the previous backup, changed once the gateway's data
// changed, --keep removes the oldest, and a failed backup lies beside the good ones.
TEST_F(Fleet, ArchiveHistory)
{
    startSim(10, {"--seed", "1"});
    const std::string address = testsupport::loopbackAddress(10);
    writeInventory("[defaults]\npassword_file = \"password\"\n\n" + site("lobby", address));

    std::vector<std::string> changes;
    std::vector<std::string> kept;
    for (int i = 0; i < 3; ++i) {
        if (i == 2) {
            m_sims.clear();
            startSim(10, {"--seed", "2"});
        }
        const Run r = runFleet({"--keep", "2"});
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        const json& s = siteOf(r.report, "lobby");
        changes.push_back(s["change"]);
        kept.push_back(s["file"]);
        if (i > 0) {
            EXPECT_EQ(s["previous"], kept[static_cast<size_t>(i) - 1]);
        }
    }
    EXPECT_EQ(changes, (std::vector<std::string>{"first", "unchanged", "changed"}));
    // The newest two; the names sort as the backups were made, also within one second.
    std::vector<std::string> expected = {kept[1].substr(6), kept[2].substr(6)};
    EXPECT_EQ(files("lobby"), expected);

    // A backup that fails half-way is kept as such and leaves the good ones alone.
    m_sims.clear();
    startSim(10, {"--seed", "2", "--error-reply", "2:1"});
    const Run failed = runFleet({"--keep", "2"});
    EXPECT_EQ(failed.status, 1);
    const json& s = siteOf(failed.report, "lobby");
    EXPECT_EQ(s["result"], "failed");
    ASSERT_TRUE(s["file"].is_string()) << s.dump(2);
    EXPECT_TRUE(std::regex_match(s["file"].get<std::string>().substr(6), kFailedName)) << s["file"];
    expected.push_back(s["file"].get<std::string>().substr(6));
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> now = files("lobby");
    std::sort(now.begin(), now.end());
    EXPECT_EQ(now, expected);
    EXPECT_EQ(s["change"], nullptr);
}

// Every fault of an inventory is told with its line before anything connects.
TEST_F(Fleet, BadInventoryIsRefusedWithLineNumbers)
{
    writeSecret("open", "pw");
    ::chmod(path("open").c_str(), 0644);
    const std::string a = testsupport::loopbackAddress(20);
    const std::string ok = "[site.ok]\naddress = \"" + testsupport::loopbackAddress(21) + "\"\npassword_file = \"password\"\n";
    struct Case {
        const char* what;
        std::string inventory;
        std::string expected;  // ":LINE: text"
    } cases[] = {
        {"unknown key", ok + "\n[site.x]\naddress = \"" + a + "\"\npassword_file = \"password\"\nskds = 3\n", ":8: site \"x\": unknown key \"skds\""},
        {"duplicate name", ok + "[site.ok]\naddress = \"" + a + "\"\n", ":4: "},
        {"duplicate address", ok + "[site.y]\naddress = \"" + testsupport::loopbackAddress(21) + "\"\npassword_file = \"password\"\n",
         ":5: site \"y\": the address"},
        {"missing password file", "\n[site.z]\naddress = \"" + a + "\"\npassword_file = \"nowhere\"\n", ":4: site \"z\": the password file"},
        {"password file others may read", "[defaults]\npassword_file = \"open\"\n" + ok.substr(0, ok.rfind("password_file")) + "\n",
         ":2: site \"ok\": the password file"},
        {"malformed skd", ok + "skd = 9\n", ":4: site \"ok\": skd takes"},
        {"no address", ok + "[site.w]\npassword_file = \"password\"\n", ":4: site \"w\": no address"},
        {"not TOML", ok + "address = \n", ":4: "},
        {"names that differ in case only", ok + "[site.OK]\naddress = \"" + a + "\"\npassword_file = \"password\"\n",
         ":4: site \"OK\": differs from site \"ok\""},
        {"bad site name", "[site.\"a b\"]\naddress = \"" + a + "\"\npassword_file = \"password\"\n", ":1: site \"a b\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeInventory(c.inventory);
        const Run r = runFleet();
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(path("fleet.toml") + c.expected), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was backed up"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(archive()));
        EXPECT_FALSE(fs::exists(path("report.json")));
    }
}

// The process of a site's job: a backup whose command line names text; 0 when none runs.
pid_t jobNaming(const std::string& text)
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string cmdline = testsupport::readFile(entry.path().string() + "/cmdline");
        if (cmdline.find(text) != std::string::npos && cmdline.find("nexo-backup-cli\0backup"s) != std::string::npos)
            return static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
    }
    return 0;
}

bool processNaming(const std::string& text)
{
    return jobNaming(text) != 0;
}

// A job that crashes is that site's failure only.
TEST_F(Fleet, ACrashedJobStopsNoOther)
{
    startSim(40, {}, "0.1");
    startSim(41, {}, "0.1");
    writeInventory("[defaults]\npassword_file = \"password\"\n\n" + site("victim", testsupport::loopbackAddress(40)) +
                   site("survivor", testsupport::loopbackAddress(41)));
    Process fleet(fleetArgs("0.05", {}), m_temp.dir(), {}, kEnv);
    ASSERT_TRUE(fleet.started());
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    pid_t victim = 0;
    while ((victim = jobNaming(archive() + "/victim/")) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ASSERT_NE(victim, 0);
    // Abort, not a fault: the sanitizers catch a fault and exit instead of dying by it.
    ::kill(victim, SIGABRT);
    EXPECT_EQ(fleet.wait(60s), 1) << fleet.err();
    const json report = readReport();
    EXPECT_EQ(siteOf(report, "victim")["result"], "crashed") << report.dump(2);
    EXPECT_EQ(siteOf(report, "survivor")["result"], "succeeded") << report.dump(2);
}

// Ctrl-C in the middle: the running jobs end, the queued ones never start, and the report
// of what there is still comes.
TEST_F(Fleet, InterruptEndsTheRunningJobsAndStillReports)
{
    // At time scale 0.1 each job waits 7 s for the gateway: it is stopped long before.
    for (int n = 30; n < 33; ++n)
        startSim(n, {}, "0.1");
    writeInventory("[defaults]\npassword_file = \"password\"\n\n" + site("one", testsupport::loopbackAddress(30)) +
                   site("two", testsupport::loopbackAddress(31)) + site("three", testsupport::loopbackAddress(32)));
    Process fleet(fleetArgs("0.1", {"--jobs", "2"}), m_temp.dir(), {}, kEnv);
    ASSERT_TRUE(fleet.started());
    // Both running jobs have reached the wait for the gateway.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    auto waiting = [&] {
        for (const char* name : {"one", "two"})
            if (!processNaming(archive() + "/" + name + "/"))
                return false;
        return true;
    };
    while (!waiting() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(waiting());
    std::this_thread::sleep_for(500ms);
    const auto interrupted = std::chrono::steady_clock::now();
    fleet.signal(SIGINT);
    EXPECT_EQ(fleet.wait(30s), 1) << fleet.err();
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, 5s);

    const json report = readReport();
    ASSERT_TRUE(report.is_object()) << fleet.out() << fleet.err();
    EXPECT_EQ(report["interrupted"], true);
    EXPECT_EQ(siteOf(report, "one")["result"], "interrupted");
    EXPECT_EQ(siteOf(report, "two")["result"], "interrupted");
    EXPECT_EQ(siteOf(report, "three")["result"], "not run");
    EXPECT_NE(fleet.out().find("stopped by a stop request"), std::string::npos) << fleet.out();
    // No job outlives the fleet; what they had saved is kept as incomplete, never as good.
    EXPECT_FALSE(processNaming(archive() + "/"));
    for (const char* name : {"one", "two"})
        for (const std::string& f : files(name))
            EXPECT_TRUE(std::regex_match(f, kFailedName)) << name << ": " << f;
    EXPECT_FALSE(fs::exists(archive() + "/three"));
}

}  // namespace
