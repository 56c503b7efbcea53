#include "ui/DialogLogic.h"

#include "TestSupport.h"
#include "job/CMessage.h"
#include "job/CProtocol.h"
#include "platform/DialogLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <set>

using namespace ui;

TEST(DialogTemplates, TheThreeTemplatesWithTheirControlsInTabOrder)
{
    const DialogTemplate* main = dialogTemplate(IDD_BACKUP);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->rect.width, 318);
    EXPECT_EQ(main->rect.height, 265);
    std::vector<int> ids;
    for (const TemplateControl& c : main->controls)
        ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{IDC_CANCEL, -1, -1, IDC_PORT, IDC_BACKUP, IDC_RESTORE, IDC_STATUS_LIST, IDC_ADDRESS}));
    EXPECT_FALSE(main->control(IDC_PORT)->visible());
    EXPECT_TRUE((main->control(IDC_PORT)->styles & Style::Number) != 0);
    EXPECT_TRUE(main->control(IDC_ADDRESS)->visible());
    EXPECT_TRUE((main->styles & Style::Appwindow) != 0);
    // The band sits below every template control.
    ASSERT_EQ(main->band.size(), 2u);
    EXPECT_EQ(main->bandGrow, 10);
    for (const TemplateControl& c : main->controls)
        EXPECT_LE(c.rect.y + c.rect.height, main->band[0].rect.y) << c.id;
    EXPECT_LE(main->bandControl(IDC_PROGRESS_BAR)->rect.y + main->bandControl(IDC_PROGRESS_BAR)->rect.height,
              main->rect.height + main->bandGrow);

    const DialogTemplate* password = dialogTemplate(IDD_PASSWORD);
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->controls.front().id, IDC_OK);  // the focus starts on OK
    EXPECT_EQ(password->controls.front().kind, ControlKind::Defbutton);
    EXPECT_TRUE((password->control(IDC_PASSWORD)->styles & Style::Password) != 0);

    const DialogTemplate* choice = dialogTemplate(IDD_SKD_CHOOSE);
    ASSERT_NE(choice, nullptr);
    EXPECT_STREQ(choice->fontName, "MS Shell Dlg");
    EXPECT_TRUE((choice->control(IDC_MASTER)->styles & Style::Disabled) != 0);
    EXPECT_EQ(dialogTemplate(999), nullptr);
}

TEST(DialogTemplates, NamedStringsHaveIdsOutsideTheTable)
{
    std::set<int> seen;
    for (const NamedString& s : namedStrings()) {
        EXPECT_GT(s.id, kLastStringId) << s.key;
        EXPECT_TRUE(seen.insert(s.id).second) << s.key;
    }
    EXPECT_NE(namedStringId("APP_PROGRESS_DONE"), 0);
    EXPECT_EQ(namedStringId("NO_SUCH_KEY"), 0);
}

TEST(DialogBehaviour, EnabledControlsByState)
{
    struct Case {
        DialogState state;
        int control;
        bool enabled;
    } cases[] = {
        {DialogState::Idle, IDC_BACKUP, true},        {DialogState::Idle, IDC_CANCEL, true},
        {DialogState::Idle, IDC_ADDRESS, true},       {DialogState::Running, IDC_BACKUP, false},
        {DialogState::Running, IDC_RESTORE, false},   {DialogState::Running, IDC_CANCEL, false},
        {DialogState::Running, IDC_ADDRESS, false},   {DialogState::Running, IDC_PORT, false},
        {DialogState::Running, IDC_STATUS_LIST, true}, {DialogState::Finished, IDC_CANCEL, true},
        {DialogState::Finished, IDC_BACKUP, false},   {DialogState::Finished, IDC_RESTORE, false},
        {DialogState::Finished, IDC_ADDRESS, false},  {DialogState::Finished, IDC_PORT, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(controlEnabled(c.state, c.control), c.enabled) << static_cast<int>(c.state) << " " << c.control;
}

TEST(DialogBehaviour, ToolTipsAndTheHiddenPortEdit)
{
    std::vector<std::pair<int, int>> tips;
    for (const ToolTip& t : toolTips())
        tips.emplace_back(t.controlId, t.textId);
    EXPECT_EQ(tips, (std::vector<std::pair<int, int>>{
                        {IDC_RESTORE, 105}, {IDC_BACKUP, 106}, {IDC_CANCEL, 107}, {IDC_ADDRESS, 108}, {IDC_PORT, 109}, {IDC_STATUS_LIST, 110}}));
    for (const ToolTip& t : toolTips())
        EXPECT_EQ(toolTipShows(t.controlId), t.controlId != IDC_PORT) << t.controlId;
}

TEST(DialogBehaviour, PasswordAnswers)
{
    struct Case {
        bool confirmed;
        const char* typed;
        const char* answer;
    } cases[] = {
        {true, "", " "},
        {true, "dos  palabras", " dos  palabras"},
        {true, "AskForPwd=IDCANCEL", " AskForPwd=IDCANCEL"},
        {false, "ignored", "AskForPwd=IDCANCEL"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(passwordAnswer(c.confirmed, c.typed), c.answer) << c.typed;
    EXPECT_TRUE(passwordSendable("geheim-\xc3\xa4"));   // ä has a byte
    EXPECT_FALSE(passwordSendable("\xe2\x82\xac\xe2\x98\x83"));  // € has one, the snowman none
}

TEST(DialogBehaviour, SkdMasterRule)
{
    const std::vector<SkdEntry> entries = skdEntries({"1", "3", "3", "5"});
    ASSERT_EQ(entries.size(), 3u);  // a duplicate once
    EXPECT_EQ(entries[1].text, CMessage::getInstance()->loadText(MSG_SKD) + " 3");
    struct Case {
        int position;
        bool identical;
        int master;
    } cases[] = {{2, true, 5}, {2, false, 0}, {-1, true, 1}, {3, true, 0}, {0, false, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(skdMaster(entries, c.position, c.identical), c.master) << c.position << " " << c.identical;
    EXPECT_EQ(skdMaster({}, -1, true), 0);  // nobody answered the scan
}

namespace {

class FakeView : public CMainDialogView
{
public:
    void enableControl(int id, bool enabled) override { calls.emplace_back(id, enabled); }
    std::optional<std::string> runPasswordPrompt() override { return std::nullopt; }
    std::optional<int> runSkdChoice(const std::vector<std::string>&) override { return std::nullopt; }
    void jobStateChanged(DialogState state, bool full) override
    {
        if (state == DialogState::Finished)
            finished.set_value(full);
    }
    std::vector<std::pair<int, bool>> calls;
    std::promise<bool> finished;
};

}  // namespace

// A job button disables the five controls in order and starts the job; the end notice brings
// back the close button only. A second press starts nothing.
TEST(DialogBehaviour, JobButtonAndEndNotice)
{
    testsupport::FakeDialog link;
    FakeView view;
    CBackupDialogLogic logic(link, view);
    link.onMessageHandler = [&](unsigned m) { return logic.onMessage(m); };
    link.filePath.clear();  // the file dialog is cancelled: the job ends at once
    EXPECT_TRUE(logic.mayEnd());
    std::future<bool> finished = view.finished.get_future();
    logic.startJob(CProtocol::Backup, "127.0.0.1");
    ASSERT_EQ(finished.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(finished.get());  // no work done: the band shows nothing finished
    EXPECT_EQ(logic.state(), DialogState::Finished);
    EXPECT_TRUE(logic.mayEnd());
    const std::vector<std::pair<int, bool>> expected{
        {IDC_RESTORE, false}, {IDC_BACKUP, false}, {IDC_CANCEL, false}, {IDC_ADDRESS, false}, {IDC_PORT, false},
        {IDC_RESTORE, false}, {IDC_BACKUP, false}, {IDC_CANCEL, true},  {IDC_ADDRESS, false}, {IDC_PORT, false}};
    EXPECT_EQ(view.calls, expected);
    EXPECT_TRUE(link.lines().empty());
    CProtocol* job = logic.job();
    logic.startJob(CProtocol::Restore, "127.0.0.1");
    EXPECT_EQ(logic.job(), job);
}

TEST(DialogBehaviour, WidenFactorForTextsThatRunWide)
{
    struct Case {
        std::vector<TextRoom> texts;
        double factor;
    } cases[] = {
        {{}, 1.0},
        {{{80, 100}, {100, 100}}, 1.0},
        {{{120, 100}, {90, 100}, {110, 50}}, kMaxWiden},  // 2.2 would be too wide: clipped instead
        {{{120, 100}}, 1.2},
        {{{50, 0}}, 1.0},  // a control without room cannot say how much
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(widenFactor(c.texts), c.factor);
}
