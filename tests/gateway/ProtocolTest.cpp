#include "backupfile/CFileManager.h"
#include "gateway/CDataNetwork.h"
#include "gateway/CDataProtocol.h"
#include "gateway/CErrorMessage.h"
#include "gateway/CFrame.h"
#include "job/CMessage.h"
#include "platform/DialogLink.h"

#include "Simulator.h"
#include "TestSupport.h"
#include "TinyPeer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

const std::string kNetError = "ERROR -- readPackage (Se ha producido un error de red. -> Error inespecífico.[";

std::string loading(const std::string& name) { return "Carga los datos " + name + " ..."; }
std::string saved(const std::string& name) { return "Se han guardado los datos " + name + "."; }
std::string loadDone(const std::string& name) { return "Se ha terminado la carga de los datos " + name + "."; }
std::string writing(const std::string& name) { return "Graba los datos " + name + " ..."; }
std::string written(const std::string& name) { return "Se han grabado los datos " + name + "."; }
const std::string kBackupDone = "Se ha terminado la carga de los datos.";
const std::string kRestoreDone = "Se ha terminado la restauración de los datos.";
const std::string kDamaged =
    "ERROR -- checkDataFile (Error de archivo -> El archivo de copia de seguridad está dañado.[100009])";

std::string notRead(const std::string& name)
{
    return "ERROR -- " + name + " (No han podido leerse correctamente los datos. -> "
        "No han podido leerse correctamente los datos.[100007])";
}
std::string notWritten(const std::string& name)
{
    return "ERROR -- " + name + " (No han podido transferirse correctamente los datos al NEXO. -> "
        "Error inespecífico.[100008])";
}
std::string errorReply(const std::string& call, int kind)
{
    return "ERROR -- " + call + " ("
        + (kind == 1 ? "Longitud de registro de datos incorrecta." : "El objeto de datos solicitado es desconocido.")
        + " -> Error inespecífico.[0])";
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

const char* const kNames[] = {"UserManagerConfig", "ConfigManager", "DayLightConfig", "SystemTimeConfig"};

// One test's gateway: a simulator (or a scripted peer) on the test's own address, the job's
// gateway connection, a protocol object and a backup file in a temporary folder.
class GatewayTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        delete getDataNetwork();
        delete getFileManager();
        if (simulator)
            simulator->stop();
    }

    // Starts the simulator on loopback address n and connects to it.
    void startSimulator(int n, sim::Config config = {})
    {
        config.address = testsupport::loopbackAddress(n);
        simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        ASSERT_TRUE(simulator->start(&error)) << error;
        connectTo(config.address);
    }

    void connectTo(const std::string& address)
    {
        ASSERT_TRUE(getDataNetwork()->connect(address, CDataNetwork::kPort, CDataNetwork::kConnectTimeoutMs));
        protocol = std::make_unique<CDataProtocol>();
        protocol->attach(&dialog);
    }

    std::string file(const std::string& name) const { return temp.path(name); }

    // Writes a backup file of the given version holding objects.
    void writeFile(const std::string& path, int version, const std::array<Bytes, 4>& objects)
    {
        CFileManager* fm = getFileManager();
        fm->open(path);
        fm->setInt("Global.Version", version);
        for (int i = 0; i < 4; ++i) {
            fm->setInt(std::string(kNames[i]) + ".DataLength", static_cast<int32_t>(objects[i].size()));
            if (!objects[i].empty()) {
                ASSERT_TRUE(fm->writeData(std::string(kNames[i]) + ".Data", objects[i].data(), objects[i].size()));
            }
        }
        ASSERT_TRUE(fm->flush());
    }

    std::vector<int> requestedTypes() const
    {
        std::vector<int> types;
        for (const sim::GatewayRequest& r : simulator->gatewayRequests())
            types.push_back(r.type * 10 + r.parameter);
        return types;
    }

    testsupport::ScopedTimeScale scale{0.001};
    testsupport::FakeDialog dialog;
    testsupport::ScopedTempDir temp{"nexo-gw"};
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<CDataProtocol> protocol;
};

TEST_F(GatewayTest, VersionIsTheReplyParameter)
{
    for (int version : {107, 0, 255}) {
        sim::Config config;
        config.version = version;
        startSimulator(version % 250 + 1, config);
        EXPECT_EQ(protocol->getVersion(), static_cast<float>(version));
        EXPECT_TRUE(dialog.lines().empty());
        delete getDataNetwork();
        simulator.reset();
    }
}

TEST_F(GatewayTest, VersionFailures)
{
    // Sent on a connection that is not open.
    protocol = std::make_unique<CDataProtocol>();
    protocol->attach(&dialog);
    EXPECT_EQ(protocol->getVersion(), 0.0f);
    EXPECT_EQ(dialog.lines(), Lines{"ERROR -- getVersion (Se ha producido un error de red. -> Error inespecífico.[10038])"});
    dialog.clear();

    // No reply: would block after the (scaled) 120 s.
    sim::Config config;
    config.faults.silentRequestType = 7;
    startSimulator(10, config);
    EXPECT_EQ(protocol->getVersion(), 0.0f);
    EXPECT_EQ(dialog.lines(), Lines{kNetError + "10035])"});
}

TEST_F(GatewayTest, RepliesSentOneByteAtATimeAreAssembled)
{
    sim::Config config;
    config.version = 109;
    config.faults.byteByByte = true;
    startSimulator(11, config);
    getFileManager()->open(file("slow.mrk"));
    EXPECT_EQ(protocol->getVersion(), 109.0f);
    EXPECT_TRUE(protocol->backupData(2));
    Bytes stored(simulator->objects()[2].size());
    size_t decoded = 0;
    ASSERT_TRUE(getFileManager()->readData("DayLightConfig.Data", stored.data(), stored.size(), &decoded));
    EXPECT_EQ(decoded, stored.size());
    EXPECT_EQ(stored, simulator->objects()[2]);
    EXPECT_TRUE(dialog.lines().empty());
}

TEST_F(GatewayTest, PasswordDialogue)
{
    struct Case {
        const char* gatewayPassword;  // as the gateway compares it (Windows-1252)
        const char* answer;           // what the prompt stores; nullptr: nothing
        bool accepted;
        bool sent;
        Bytes wire;
    };
    const Case cases[] = {
        {"geheim", " geheim", true, true, {'g', 'e', 'h', 'e', 'i', 'm'}},
        {"", " ", true, true, {'x'}},
        {"\xF1" "and\xFA", " ñandú", true, true, {0xF1, 'a', 'n', 'd', 0xFA}},
        // Typed by the user, the cancel marker is a password like any other.
        {"AskForPwd=IDCANCEL", " AskForPwd=IDCANCEL", true, true, bytesOf("AskForPwd=IDCANCEL")},
        {"geheim", " falsch", false, true, {'f', 'a', 'l', 's', 'c', 'h'}},
        {"geheim", "AskForPwd=IDCANCEL", false, false, {}},
        {"geheim", nullptr, false, false, {}},
        {"geheim", " \xE2\x98\x83", false, false, {}},  // no byte for it in Windows-1252
    };
    int n = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? c.answer : "(nothing)");
        dialog.clear();
        sim::Config config;
        config.password = c.gatewayPassword;
        startSimulator(n++, config);
        dialog.onMessageHandler = [&](unsigned message) -> long {
            if (message == WM_ASK_PASSWORD && c.answer)
                protocol->setPassword(c.answer);
            return 1;
        };
        EXPECT_EQ(protocol->askPassword(), c.accepted);
        EXPECT_EQ(dialog.messages(), std::vector<unsigned>{WM_ASK_PASSWORD});

        const auto requests = simulator->gatewayRequests();
        ASSERT_EQ(requests.size(), c.sent ? 1u : 0u);
        if (c.sent) {
            EXPECT_EQ(requests[0].type, 9);
            EXPECT_EQ(requests[0].parameter, 4);
            EXPECT_EQ(requests[0].data, c.wire);
        }
        if (c.sent && !c.accepted) {
            EXPECT_EQ(dialog.lines(), (Lines{"Las contraseñas no coinciden.", "Se ha cerrado la comunicación con el NEXO."}));
            EXPECT_EQ(dialog.boxes(), Lines{"Contraseña incorrecta. Se terminará la comunicación."});
        } else {
            EXPECT_TRUE(dialog.lines().empty());
            EXPECT_TRUE(dialog.boxes().empty());
        }
        dialog.onMessageHandler = nullptr;
        delete getDataNetwork();
        simulator.reset();
    }
}

// A password that got no answer was not refused: the connection is reported lost, and
// nothing tells the user the password was wrong.
TEST_F(GatewayTest, PasswordWithoutReplyIsALostConnection)
{
    struct Case {
        const char* what;
        sim::Faults faults;
        std::string report;
    };
    const Case cases[] = {
        {"silence", [] { sim::Faults f; f.silentRequestType = 9; return f; }(), kNetError + "10035])"},
        {"closed mid-reply", [] { sim::Faults f; f.closeMidFrameType = 9; return f; }(), kNetError + "10038])"},
    };
    int n = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.clear();
        sim::Config config;
        config.password = "geheim";
        config.faults = c.faults;
        startSimulator(n++, config);
        dialog.onMessageHandler = [&](unsigned) -> long {
            protocol->setPassword(" geheim");
            return 1;
        };
        EXPECT_FALSE(protocol->askPassword());
        EXPECT_EQ(dialog.lines(), (Lines{c.report, "Se ha cerrado la comunicación con el NEXO."}));
        EXPECT_TRUE(dialog.boxes().empty());
        dialog.onMessageHandler = nullptr;
        delete getDataNetwork();
        simulator.reset();
    }
}

TEST_F(GatewayTest, BackupAndRestoreIntoAFreshGatewayAreByteIdentical)
{
    const std::string path = file("gateway.mrk");
    startSimulator(40);
    const std::array<Bytes, 4> original = simulator->objects();
    getFileManager()->open(path);
    EXPECT_TRUE(protocol->runGatewayJob(108.0f, 1));
    EXPECT_TRUE(getFileManager()->flush());

    Lines expected{"Guarda datos en archivo " + path};
    for (const char* name : kNames)
        expected.insert(expected.end(), {loading(name), saved(name), loadDone(name)});
    expected.push_back(kBackupDone);
    EXPECT_EQ(dialog.lines(), expected);
    EXPECT_EQ(requestedTypes(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(getFileManager()->getInt("Global.Version"), 108);

    delete getFileManager();
    delete getDataNetwork();
    simulator->stop();
    dialog.clear();

    sim::Config fresh;
    fresh.seed = 77;
    startSimulator(41, fresh);
    ASSERT_NE(simulator->objects(), original);
    getFileManager()->open(path);
    EXPECT_TRUE(protocol->runGatewayJob(108.9f, 2));  // the version is truncated
    EXPECT_EQ(simulator->objects(), original);

    expected = {"Darga datos desde archivo " + path};
    for (const char* name : kNames)
        expected.insert(expected.end(), {writing(name), written(name)});
    expected.push_back(kRestoreDone);
    EXPECT_EQ(dialog.lines(), expected);
}

TEST_F(GatewayTest, ErrorRepliesToBackupFailTheObjectAndAreNotStored)
{
    for (int kind : {1, 2}) {
        SCOPED_TRACE(kind);
        dialog.clear();
        sim::Config config;
        config.faults.errorReplyObject = 1;
        config.faults.errorReplyKind = kind;
        startSimulator(50 + kind, config);
        getFileManager()->open(file("kind" + std::to_string(kind) + ".mrk"));
        EXPECT_FALSE(protocol->backup(108));
        EXPECT_EQ(dialog.lines(), (Lines{loading(kNames[0]), saved(kNames[0]), loadDone(kNames[0]),
                                         loading(kNames[1]), errorReply("backupData", kind),
                                         notRead(kNames[1]), loadDone(kNames[1]), kBackupDone}));
        EXPECT_EQ(requestedTypes(), (std::vector<int>{0, 1}));
        EXPECT_FALSE(getFileManager()->containsKey("ConfigManager.DataLength"));
        EXPECT_FALSE(getFileManager()->containsKey("ConfigManager.Data"));
        delete getFileManager();
        delete getDataNetwork();
        simulator.reset();
    }
}

TEST_F(GatewayTest, ErrorRepliesToRestoreFailTheObject)
{
    std::array<Bytes, 4> objects = {Bytes{1, 2, 3}, Bytes{4}, Bytes{5, 6}, Bytes{7}};
    for (int kind : {1, 2}) {
        SCOPED_TRACE(kind);
        dialog.clear();
        writeFile(file("r.mrk"), 108, objects);
        sim::Config config;
        config.faults.errorReplyObject = 0;
        config.faults.errorReplyKind = kind;
        config.faults.errorOnRestore = true;
        startSimulator(60 + kind, config);
        EXPECT_FALSE(protocol->restore(108));
        EXPECT_EQ(dialog.lines(), (Lines{writing(kNames[0]), errorReply("restoreData", kind),
                                         notWritten(kNames[0]), written(kNames[0]), kRestoreDone}));
        EXPECT_EQ(requestedTypes(), std::vector<int>{10});
        delete getFileManager();
        delete getDataNetwork();
        simulator.reset();
    }
}

TEST_F(GatewayTest, RestoreReplyThatNeverComesFailsTheObject)
{
    writeFile(file("r.mrk"), 108, {Bytes{1}, Bytes{2}, Bytes{3}, Bytes{4}});
    sim::Config config;
    config.faults.silentRequestType = 1;
    config.faults.silentRequestParam = 1;
    startSimulator(70, config);
    EXPECT_FALSE(protocol->restore(108));
    EXPECT_EQ(dialog.lines(), (Lines{writing(kNames[0]), written(kNames[0]), writing(kNames[1]),
                                     kNetError + "10035])", notWritten(kNames[1]), written(kNames[1]),
                                     kRestoreDone}));
    EXPECT_EQ(requestedTypes(), (std::vector<int>{10, 11}));
}

TEST_F(GatewayTest, ConnectionClosedMidFrameFailsTheBackup)
{
    sim::Config config;
    config.faults.closeMidFrameType = 0;
    startSimulator(71, config);
    getFileManager()->open(file("cut.mrk"));
    EXPECT_FALSE(protocol->backup(108));
    EXPECT_EQ(dialog.lines(), (Lines{loading(kNames[0]), kNetError + "10038])", notRead(kNames[0]),
                                     loadDone(kNames[0]), kBackupDone}));
    EXPECT_FALSE(getFileManager()->containsKey("UserManagerConfig.Data"));
}

TEST_F(GatewayTest, UnwritableBackupFileFailsTheObject)
{
    startSimulator(72);
    getFileManager()->open(file("missing-folder/b.mrk"));
    EXPECT_FALSE(protocol->backup(108));
    EXPECT_EQ(dialog.lines(), (Lines{loading(kNames[0]),
                                     "ERROR -- writeData (Error de archivo -> Error inespecífico.[2])",
                                     notRead(kNames[0]), loadDone(kNames[0]), kBackupDone}));
    EXPECT_EQ(requestedTypes(), std::vector<int>{0});
}

// Replies no simulator gives: a scripted peer answers the backup request of object 0.
TEST_F(GatewayTest, BackupRepliesThatAreNotAnObject)
{
    struct Case {
        const char* what;
        Bytes reply;
        bool closeAfter;
        Lines report;  // between 138 and the object's report
    };
    const Case cases[] = {
        {"error reply cut short", {1, 2, 1, 5, 0, 0, 0, 9}, true, {kNetError + "10038])", errorReply("backupData", 1)}},
        {"error reply of unknown kind", {1, 2, 7, 1, 0, 0, 0, 9}, false, {}},
        {"object index 4", {1, 4, 4, 1, 0, 0, 0, 9}, false, {}},
        // Stored under the object it names, but the one asked for is still missing.
        {"another object", {1, 4, 2, 1, 0, 0, 0, 9}, false, {}},
        {"length of 4 GiB", {1, 4, 0, 0xFF, 0xFF, 0xFF, 0xFF}, false, {kNetError + "100002])"}},
    };
    int n = 80;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.clear();
        TinyPeer peer;
        const std::string address = testsupport::loopbackAddress(n++);
        ASSERT_TRUE(peer.listen(address, CDataNetwork::kPort));
        connectTo(address);
        ASSERT_TRUE(peer.accept());
        getFileManager()->open(file("odd.mrk"));
        std::thread gateway([&] {
            if (peer.read(3) == Bytes{1, 0, 0}) {
                peer.send(c.reply);
                if (c.closeAfter)
                    peer.closeClient();
            }
        });
        EXPECT_FALSE(protocol->backupData(0));
        gateway.join();
        EXPECT_EQ(dialog.lines(), c.report);
        EXPECT_FALSE(getFileManager()->containsKey("UserManagerConfig.DataLength"));
        EXPECT_FALSE(getFileManager()->containsKey("SystemTimeConfig.DataLength"));
        delete getFileManager();
        delete getDataNetwork();
    }
}

TEST_F(GatewayTest, FileVersionChecks)
{
    struct Case {
        int fileVersion;
        int gatewayVersion;
        bool accepted;
        std::string line;
    };
    const Case cases[] = {
        {103, 103, false, "Se ha encontrado una copia de seguridad con la versión 103. Se soportan sólo copias de seguridad a partir de la versión 107."},
        {107, 108, false, "La versión 107 del archivo de copia de seguridad no es compatible con el NEXO versión 108."},
        {108, 107, false, "La versión 108 del archivo de copia de seguridad no es compatible con el NEXO versión 107."},
        {105, 105, true, ""},
        {107, 107, true, ""},
    };
    int n = 90;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileVersion);
        dialog.clear();
        writeFile(file("v.mrk"), c.fileVersion, {Bytes{1}, Bytes{2}, Bytes{3}, Bytes{4}});
        sim::Config config;
        config.version = c.gatewayVersion;
        startSimulator(n++, config);
        EXPECT_EQ(protocol->restore(c.gatewayVersion), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(requestedTypes(), (std::vector<int>{10, 11, 12, 13}));
        } else {
            EXPECT_EQ(dialog.lines(), Lines{c.line});
            EXPECT_TRUE(simulator->gatewayRequests().empty());
        }
        delete getFileManager();
        delete getDataNetwork();
        simulator.reset();
    }
}

TEST_F(GatewayTest, DamagedFilesAreRefusedBeforeAnythingIsSent)
{
    struct Case {
        const char* what;
        const char* key;    // written as text over a good file
        const char* value;  // nullptr: the key is removed
    };
    const Case cases[] = {
        {"Data missing", "ConfigManager.Data", nullptr},
        {"DataLength missing", "DayLightConfig.DataLength", nullptr},
        {"version missing", "Global.Version", nullptr},
        {"negative length", "ConfigManager.DataLength", "-5"},
        {"length above 64 MiB", "ConfigManager.DataLength", "67108865"},
        {"Data decodes short", "ConfigManager.DataLength", "3"},  // the Data holds 2 bytes
    };
    int n = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.clear();
        const std::string path = file("damaged.mrk");
        writeFile(path, 108, {Bytes{1}, Bytes{2, 3}, Bytes{4}, Bytes{5}});
        delete getFileManager();
        // Edit the saved text the way a damaged copy would look.
        std::string text;
        {
            std::ifstream in(path);
            std::string line;
            while (std::getline(in, line)) {
                if (line.rfind(std::string(c.key) + "=", 0) == 0) {
                    if (c.value)
                        text += std::string(c.key) + "=" + c.value + "\n";
                } else {
                    text += line + "\n";
                }
            }
        }
        std::ofstream(path, std::ios::trunc) << text;
        getFileManager()->open(path);

        startSimulator(n++);
        EXPECT_FALSE(protocol->restore(108));
        EXPECT_EQ(dialog.lines(), Lines{kDamaged});
        EXPECT_TRUE(simulator->gatewayRequests().empty());
        delete getFileManager();
        delete getDataNetwork();
        simulator.reset();
    }
}

TEST_F(GatewayTest, EmptyObjectWithoutDataIsRestoredAsAnEmptyRequest)
{
    writeFile(file("empty.mrk"), 108, {Bytes{1, 2}, Bytes{}, Bytes{3}, Bytes{4}});
    ASSERT_FALSE(getFileManager()->containsKey("ConfigManager.Data"));
    startSimulator(110);
    EXPECT_TRUE(protocol->restore(108));
    const auto requests = simulator->gatewayRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].type, 1);
    EXPECT_EQ(requests[1].parameter, 1);
    EXPECT_TRUE(requests[1].data.empty());
    EXPECT_TRUE(simulator->objects()[1].empty());
    EXPECT_EQ(simulator->objects()[0], (Bytes{1, 2}));
}

}  // namespace
