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

TEST(ErrorReport, CodeTableAsOneTable)
{
    const std::map<int, int> expected = {
        {10051, 113}, {10053, 114}, {10054, 115}, {10057, 116}, {10060, 117}, {10061, 118},
        {10064, 119}, {10065, 120}, {11001, 121}, {100004, 130}, {100005, 131}, {100006, 146},
        {100007, 134}, {100009, 147}, {100010, 133}, {100011, 132}, {100012, 144}, {100013, 150},
        {100014, 151}, {0, 122}, {10035, 122}, {10038, 122}, {100002, 122}, {100008, 122}, {-1, 122},
    };
    for (const auto& [code, id] : expected)
        EXPECT_EQ(CErrorMessage::messageId(code), id) << code;
    // The text is taken as it stands: no expansion of its %f.
    EXPECT_EQ(CErrorMessage().getText(100010),
              "La versión %f del archivo de copia de seguridad no es compatible con el NEXO versión %f.");
}
