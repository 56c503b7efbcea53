#include "job/CMessage.h"
#include "gateway/CErrorMessage.h"
#include "platform/Resources.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <map>

using testsupport::FakeDialog;

TEST(Message, ExpansionMarks)
{
    struct Case {
        std::string text;
        std::vector<CMsgArg> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Encontrado NEXO versión %f.", {107.0}, "Encontrado NEXO versión 107."},
        {"Encontrado NEXO versión %f.", {107.6}, "Encontrado NEXO versión 108."},
        {"%f", {2.5}, "2"},  // printf rounds half to even
        {"%f", {-3.0}, "-3"},
        {"sin marcas", {}, "sin marcas"},
        {"100%% seguro", {}, "100% seguro"},
        {"%x%y", {}, "xy"},
        {"al final %", {}, "al final %"},
        {"%d y %d", {-12, 100009}, "-12 y 100009"},
        {"%s=%a", {"uno", std::string("dos")}, "uno=dos"},
        {"falta %d aquí", {}, "falta  aquí"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMessage::expandText(c.text, c.args, CMessage::kLineLimit), c.expected) << c.text;
}

TEST(Message, NumberReadAsIntegerSaturatesOutsideItsRange)
{
    EXPECT_EQ(CMsgArg(-2.8443e174).asInt(), LLONG_MIN);
    EXPECT_EQ(CMsgArg(1e300).asInt(), LLONG_MAX);
    EXPECT_EQ(CMsgArg(0x1p63).asInt(), LLONG_MAX);
    EXPECT_EQ(CMsgArg(-0x1p63).asInt(), LLONG_MIN);
    EXPECT_EQ(CMsgArg(-7.9).asInt(), -7);
    EXPECT_EQ(CMsgArg(std::nan("")).asInt(), 0);
}

TEST(Message, LongInputIsCutAtLimits)
{
    const std::string huge(5000, 'x');
    const std::string line = CMessage::expandText("%s", {huge}, CMessage::kLineLimit);
    EXPECT_EQ(line.size(), CMessage::kLineLimit);
    // The text itself is cut at 511 bytes, never inside a character.
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "ñ";
    const std::string cut = CMessage::expandText(text, {}, CMessage::kLineLimit);
    EXPECT_LE(cut.size(), CMessage::kTextLimit);
    EXPECT_EQ(cut.size() % 2, 0u);
}

TEST(Message, FormatAnswersLengthAndBuildsBoxText)
{
    CMessage* m = CMessage::getInstance();
    char buf[255];
    const int n = m->format(buf, sizeof buf, 161, std::string("1, 3"));
    EXPECT_STREQ(buf, "Error: SKD 1, 3 no se ha restablecido correctamente");
    EXPECT_EQ(n, static_cast<int>(std::strlen(buf)));
    // A small buffer is never overrun.
    char small[8];
    EXPECT_EQ(m->format(small, sizeof small, 161, std::string("1")), 7);
    EXPECT_STREQ(small, "Error: ");
}

TEST(Message, PostAppendsLinesInOrderAndWithoutListDropsThem)
{
    CMessage* m = CMessage::getInstance();
    m->setListBox(nullptr);
    m->post(137);  // no list: built and dropped
    FakeDialog dialog;
    m->post(145, 107.0);
    m->post(163);
    ASSERT_EQ(dialog.lines().size(), 2u);
    EXPECT_EQ(dialog.lines()[0], "Encontrado NEXO versión 107.");
    EXPECT_EQ(dialog.lines()[1], "Espera al NEXO (aprox. 70 segundos)");
}

TEST(Message, BuiltinTableIsCompleteAndLoadTextCuts)
{
    CMessage* m = CMessage::getInstance();
    for (int id = 103; id <= 168; ++id)
        EXPECT_FALSE(m->loadText(id).empty()) << id;
    EXPECT_EQ(m->loadText(102), "");
    EXPECT_EQ(m->loadText(168), "[todos]");
    char buf[6];
    m->loadText(157, buf, sizeof buf);
    EXPECT_STREQ(buf, "SKD");
    m->loadText(104, buf, sizeof buf);
    EXPECT_STREQ(buf, "Versi");
}

namespace {
class TableModule : public CResourceModule
{
public:
    std::map<int, std::string> texts;
    bool loadString(int id, std::string& text) const override
    {
        auto it = texts.find(id);
        if (it == texts.end())
            return false;
        text = it->second;
        return true;
    }
};
}  // namespace

TEST(Message, ActiveResourcesReplaceBuiltinTexts)
{
    TableModule english;
    english.texts[137] = "The connection with the NEXO has been closed.";
    setActiveResources(&english);
    EXPECT_EQ(CMessage::getInstance()->loadText(137), "The connection with the NEXO has been closed.");
    EXPECT_EQ(CMessage::getInstance()->loadText(138), "");  // the module answers every lookup
    setActiveResources(nullptr);
    EXPECT_EQ(CMessage::getInstance()->loadText(137), "Se ha cerrado la comunicación con el NEXO.");
}

TEST(ErrorReport, ReportLines)
{
    struct Case {
        std::string call;
        int message;
        int code;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"readPackage", 124, 10060,
         "ERROR -- readPackage (Se ha producido un error de red. -> Ya no puede mantenerse la comunicación durante "
         "más tiempo.[10060])"},
        {"backupData", 127, 0,
         "ERROR -- backupData (Longitud de registro de datos incorrecta. -> Error inespecífico.[0])"},
        {"checkDataFile", 149, 100009,
         "ERROR -- checkDataFile (Error de archivo -> El archivo de copia de seguridad está dañado.[100009])"},
        {"UserManagerConfig", 150, 100008,
         "ERROR -- UserManagerConfig (No han podido transferirse correctamente los datos al NEXO. -> Error "
         "inespecífico.[100008])"},
        {"getVersion", 124, 10054,
         "ERROR -- getVersion (Se ha producido un error de red. -> El comunicante homólogo ha cancelado la "
         "comunicación.[10054])"},
        {"x", 124, -5, "ERROR -- x (Se ha producido un error de red. -> Error inespecífico.[-5])"},
    };
    for (const Case& c : cases) {
        FakeDialog dialog;
        reportError(c.call, c.message, c.code);
        ASSERT_EQ(dialog.lines().size(), 1u);
        EXPECT_EQ(dialog.lines()[0], c.expected);
    }
}

// Each code with the text it must show: the socket codes by their Winsock names, the program's
// own by what went wrong. Anything else is "Error inespecífico.", the text taken as it stands.
TEST(ErrorReport, EachCodeShowsTheTextOfItsMeaning)
{
    const std::string kUnknown = "Error inespecífico.";
    const struct Case {
        const char* meaning;
        int code;
        std::string text;
    } cases[] = {
        {"WSAENETUNREACH", 10051, "No puede accederse a la red."},
        {"WSAECONNABORTED", 10053, "Se ha cancelado la comunicación."},
        {"WSAECONNRESET", 10054, "El comunicante homólogo ha cancelado la comunicación."},
        {"WSAENOTCONN", 10057, "Ha fallado la comunicación con el host destino."},
        {"WSAETIMEDOUT", 10060, "Ya no puede mantenerse la comunicación durante más tiempo."},
        {"WSAECONNREFUSED", 10061, "No se ha permitido la comunicación."},
        {"WSAEHOSTDOWN", 10064, "La dirección destino es desconocida."},
        {"WSAEHOSTUNREACH", 10065, "La ruta a la dirección destino es desconocida."},
        {"WSAHOST_NOT_FOUND", 11001, "No ha podido resolverse la dirección destino."},
        {"close asked for on an ended connection", 100004, "Ya se ha terminado la comunicación con el NEXO."},
        {"the gateway did not confirm the close", 100005, "El NEXO no ha cerrado correctamente la comunicación."},
        {"no data for a part in the file", 100006,
         "El archivo de copia de seguridad no contiene datos sobre esta parte de la configuración."},
        {"an object's backup failed", 100007, "No han podido leerse correctamente los datos."},
        {"the backup file is damaged", 100009, "El archivo de copia de seguridad está dañado."},
        {"file and gateway versions differ", 100010,
         "La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f."},
        {"the close did not complete", 100011, "No ha podido terminarse por completo la comunicación con el NEXO."},
        {"no gateway version", 100012, "No ha podido determinarse la versión del NEXO."},
        {"a transfer to the gateway failed", 100013, "No han podido transferirse correctamente los datos al NEXO."},
        {"a read from the gateway failed", 100014, "No han podido leerse correctamente los datos del NEXO."},
        // Codes with no text of their own.
        {"an error reply", 0, kUnknown},
        {"WSAEWOULDBLOCK: a wait ran out", 10035, kUnknown},
        {"WSAENOTSOCK: closed by the peer", 10038, kUnknown},
        {"WSANO_RECOVERY", 11003, kUnknown},
        {"no memory for a receive", 100002, kUnknown},
        {"connect while not closed", 100003, kUnknown},
        {"an object's restore failed", 100008, kUnknown},
        {"past the program's own codes", 100015, kUnknown},
        {"a negative code", -1, kUnknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.meaning);
        EXPECT_EQ(CErrorMessage().getText(c.code), c.text) << c.code;
        char buf[255];
        CErrorMessage().getText(buf, sizeof buf, c.code);
        EXPECT_EQ(buf, c.text) << c.code;
    }
}
