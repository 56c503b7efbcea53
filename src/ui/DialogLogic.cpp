#include "ui/DialogLogic.h"

#include "bus/CKandoProtocol.h"
#include "job/CMessage.h"
#include "job/CProtocol.h"
#include "platform/DialogLink.h"
#include "platform/Encoding.h"
#include "resources/StringIds.h"
#include "resources/Version.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ui {

const TemplateControl* DialogTemplate::control(int controlId) const
{
    for (const TemplateControl& c : controls)
        if (c.id == controlId)
            return &c;
    return nullptr;
}

const TemplateControl* DialogTemplate::bandControl(int controlId) const
{
    for (const TemplateControl& c : band)
        if (c.id == controlId)
            return &c;
    return nullptr;
}

const DialogTemplate* dialogTemplate(int id)
{
    for (const DialogTemplate& t : dialogTemplates())
        if (t.id == id)
            return &t;
    return nullptr;
}

int namedStringId(const char* key)
{
    for (const NamedString& s : namedStrings())
        if (key && std::strcmp(s.key, key) == 0)
            return s.id;
    return 0;
}

namespace {

constexpr int kJobControls[] = {IDC_RESTORE, IDC_BACKUP, IDC_CANCEL, IDC_ADDRESS, IDC_PORT};

constexpr ToolTip kToolTips[] = {
    {IDC_RESTORE, MSG_TIP_RESTORE}, {IDC_BACKUP, MSG_TIP_BACKUP},    {IDC_CANCEL, MSG_TIP_CLOSE},
    {IDC_ADDRESS, MSG_TIP_ADDRESS}, {IDC_PORT, MSG_TIP_PORT},        {IDC_STATUS_LIST, MSG_TIP_STATUS_LIST},
};

}  // namespace

std::span<const int> jobControls()
{
    return kJobControls;
}

bool controlEnabled(DialogState state, int controlId)
{
    switch (state) {
    case DialogState::Idle:
        return true;
    case DialogState::Running:
        return std::find(std::begin(kJobControls), std::end(kJobControls), controlId) == std::end(kJobControls);
    case DialogState::Finished:
        // A program run performs one job: only the way out comes back.
        return controlId == IDC_CANCEL
            || std::find(std::begin(kJobControls), std::end(kJobControls), controlId) == std::end(kJobControls);
    }
    return false;
}

std::span<const ToolTip> toolTips()
{
    return kToolTips;
}

bool toolTipShows(int controlId)
{
    const DialogTemplate* main = dialogTemplate(IDD_BACKUP);
    const TemplateControl* c = main ? main->control(controlId) : nullptr;
    return c && c->visible();
}

std::string mainTitle()
{
    return CMessage::getInstance()->loadText(MSG_TOOL_TITLE) + " " + kProgramVersion;
}

size_t addressLimit()
{
    return CProtocol::kMaxAddressLength;
}

std::string passwordAnswer(bool confirmed, const std::string& typed)
{
    return confirmed ? " " + typed : std::string(kPasswordCancelAnswer);
}

bool passwordSendable(const std::string& typed)
{
    std::string bytes;
    return utf8ToCp1252(typed, bytes);
}

std::vector<SkdEntry> skdEntries(const std::vector<std::string>& list)
{
    const std::string prefix = CMessage::getInstance()->loadText(MSG_SKD) + " ";
    std::vector<SkdEntry> entries;
    for (const std::string& number : list) {
        const std::string text = prefix + number;
        if (std::any_of(entries.begin(), entries.end(), [&](const SkdEntry& e) { return e.text == text; }))
            continue;
        int value = 0;
        try {
            value = std::stoi(number);
        } catch (...) {
            value = 0;  // not a number: an entry that can never be the master
        }
        entries.push_back({text, value});
    }
    return entries;
}

int skdMaster(const std::vector<SkdEntry>& entries, int position, bool identical)
{
    if (position < 0)
        position = 0;
    // The entry's own number, so a skipped duplicate cannot shift the answer.
    if (identical && static_cast<size_t>(position) < entries.size())
        return entries[static_cast<size_t>(position)].number;
    return 0;
}

double widenFactor(const std::vector<TextRoom>& texts)
{
    double factor = 1.0;
    for (const TextRoom& t : texts)
        if (t.room > 0 && t.needed > t.room)
            factor = std::max(factor, static_cast<double>(t.needed) / t.room);
    return std::min(factor, kMaxWiden);
}

int progressValue(const CProgressReport& r, int steps)
{
    if (!r.total)
        return 0;
    return static_cast<int>(std::min(r.done, r.total) * static_cast<uint64_t>(steps) / r.total);
}

std::string progressLine(const CProgressReport& r, const ProgressTexts& texts,
                         const std::function<std::string(uint64_t)>& groupCount)
{
    if (r.stage == ProgressStage::None)
        return std::string();
    const std::string stage = progressStageText(r, texts, CMessage::getInstance()->loadText(MSG_ALL_SKDS));
    std::string amount;
    switch (r.unit) {
    case ProgressUnit::Bytes:
        amount = fillMarks(texts("APP_PROGRESS_BYTES"), {groupCount(r.done), groupCount(r.total)});
        break;
    case ProgressUnit::Steps:
        amount = fillMarks(texts("APP_PROGRESS_STEPS"), {std::to_string(r.done), std::to_string(r.total)});
        break;
    case ProgressUnit::Time: {
        const std::string done = std::to_string(r.done / 1'000'000'000);
        const std::string total = std::to_string(std::llround(static_cast<double>(r.total) / 1e9));
        amount = fillMarks(texts(r.exact ? "APP_PROGRESS_SECONDS" : "APP_PROGRESS_SECONDS_MAX"), {done, total});
        break;
    }
    }
    std::string line = stage + ": " + amount;
    const std::string left = progressLeftText(r, texts);
    if (!left.empty())
        line += " \u2013 " + left;
    return line;
}

CBackupDialogLogic::CBackupDialogLogic(CDialogLink& link, CMainDialogView& view) : m_link(link), m_view(view) {}

CBackupDialogLogic::~CBackupDialogLogic() = default;

void CBackupDialogLogic::applyState()
{
    for (int id : {IDC_CANCEL, IDC_BACKUP, IDC_RESTORE, IDC_ADDRESS, IDC_PORT})
        m_view.enableControl(id, controlEnabled(m_state, id));
}

void CBackupDialogLogic::startJob(int jobMode, const std::string& address)
{
    if (m_job)
        return;  // one job per program run
    for (int id : kJobControls)
        m_view.enableControl(id, false);
    m_state = DialogState::Running;
    m_job = std::make_unique<CProtocol>();
    m_job->init(&m_link, &m_link, jobMode, address);
    m_link.clearProgress();
    m_view.jobStateChanged(DialogState::Running, false);
    // A job that never started sends no end notice; end it here so the dialog can close.
    if (!m_job->start())
        OnJobDone();
}

void CBackupDialogLogic::releaseJob()
{
    m_job.reset();
}

long CBackupDialogLogic::onMessage(unsigned message)
{
    switch (message) {
    case WM_ASK_PASSWORD:
        return OnAskPassword();
    case WM_SKD_CHOOSE:
        return OnChooseSKD();
    case WM_JOB_DONE:
        return OnJobDone();
    default:
        return 0;
    }
}

long CBackupDialogLogic::OnJobDone()
{
    m_link.clearProgress();
    const CProtocol::Outcome outcome = m_job ? m_job->outcome() : CProtocol::NotFinished;
    m_state = DialogState::Finished;
    for (int id : kJobControls)
        m_view.enableControl(id, controlEnabled(m_state, id));
    m_view.jobStateChanged(DialogState::Finished,
                           outcome == CProtocol::Completed || outcome == CProtocol::PlannedEnd);
    return 1;
}

long CBackupDialogLogic::OnAskPassword()
{
    const std::optional<std::string> typed = m_view.runPasswordPrompt();
    // This message only comes from a running job.
    if (m_job)
        m_job->storePassword(passwordAnswer(typed.has_value(), typed.value_or(std::string())));
    return 1;
}

long CBackupDialogLogic::OnChooseSKD()
{
    std::vector<std::string> list;
    // The scan runs here while the worker waits for this message, so one thread at a time
    // uses the bus connection. Its status lines reach the list directly.
    if (m_job && m_job->getKandoProtocol()) {
        m_view.busy(true);
        m_job->getKandoProtocol()->listBusSKD(list);
        m_view.busy(false);
    }
    const std::optional<int> master = m_view.runSkdChoice(list);
    if (m_job) {
        if (master)
            m_job->storeSKDChoice(1, &list, *master);
        else
            m_job->storeSKDChoice(1, nullptr, 0);
    }
    return 1;
}

}  // namespace ui
