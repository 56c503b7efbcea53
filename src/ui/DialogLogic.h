#pragma once

#include "platform/Progress.h"
#include "ui/DialogTemplates.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CDialogLink;
class CProtocol;

// What the dialogs do apart from drawing, written once for every front end: which controls
// are enabled when, the tool tips, what a job button and the end notice do, when the main
// dialog may end, the answers of the password prompt and of the SKD choice. Everything here
// runs on the dialog thread.
namespace ui {

// Idle -> a job button -> Running -> WM_JOB_DONE -> Finished. One job per program run.
enum class DialogState { Idle, Running, Finished };

// Whether a control of template 102 is enabled in that state. Idle: the job buttons, close and
// the address edit (and the hidden port edit); Running: none; Finished: close only.
bool controlEnabled(DialogState state, int controlId);
// What a job button disables, in this order.
std::span<const int> jobControls();

struct ToolTip {
    int controlId;
    int textId;
};
// One tool per control of template 102 that has a tip: restore 105, backup 106, close 107,
// address 108, port 109, status list 110.
std::span<const ToolTip> toolTips();
// Whether the tool of a control may ever show: only a control the template shows (the hidden
// port edit's never does).
bool toolTipShows(int controlId);

// The main dialog's title: text 104, a blank and the program's version.
std::string mainTitle();
// The longest address the job takes.
size_t addressLimit();

// The job's answer to WM_ASK_PASSWORD: " " + the password as typed after OK (so even an empty
// password answers), the cancel marker after any other end.
std::string passwordAnswer(bool confirmed, const std::string& typed);
// False when the password (UTF-8) holds a character the gateway cannot receive: it takes
// Windows-1252 bytes. The prompt then stays open.
bool passwordSendable(const std::string& typed);

// One entry of the SKD choice's combo box: text 157, a blank and the number.
struct SkdEntry {
    std::string text;
    int number;
};
// The entries for the SKD numbers the scan found, in list order, each text once.
std::vector<SkdEntry> skdEntries(const std::vector<std::string>& list);
// OK of the SKD choice: the master is the selected entry's number when the box is ticked, 0
// otherwise or when nothing fits. position -1: no selection, taken as the first entry.
int skdMaster(const std::vector<SkdEntry>& entries, int position, bool identical);

// How much wider a dialog's horizontal unit must be so that every text fits its control: for
// each control with a text, the pixels its text needs and the pixels it has at the template's
// own size. At least 1; at most kMaxWiden, beyond which a text is clipped rather than the
// dialog made wider still. The arrangement stays: every position and width grows alike.
constexpr double kMaxWiden = 1.5;
struct TextRoom {
    int needed;
    int room;
};
double widenFactor(const std::vector<TextRoom>& texts);

// A value from 0 to steps for the progress bar.
int progressValue(const CProgressReport& report, int steps);
// The progress line: stage, amount, time left, with the words of texts; counts of bytes are
// written by groupCount (the language's digit grouping). Empty for no stage.
std::string progressLine(const CProgressReport& report, const ProgressTexts& texts,
                         const std::function<std::string(uint64_t)>& groupCount);

// What the main dialog's front end provides; called on the dialog thread.
class CMainDialogView
{
public:
    virtual ~CMainDialogView() = default;
    virtual void enableControl(int controlId, bool enabled) = 0;
    // The password prompt, modal: the text typed after OK; nothing after any other end.
    virtual std::optional<std::string> runPasswordPrompt() = 0;
    // The SKD choice, modal, over the numbers found: the master (0 for none) after OK;
    // nothing after any other end.
    virtual std::optional<int> runSkdChoice(const std::vector<std::string>& list) = 0;
    // Around the bus scan, which keeps the dialog thread for up to 8 s.
    virtual void busy(bool /*on*/) {}
    // A job has begun (running) or ended; full: it did its work, the progress band shows it done.
    virtual void jobStateChanged(DialogState /*state*/, bool /*full*/) {}
};

class CBackupDialogLogic
{
public:
    // link: the job's way to the dialog thread (the main dialog itself).
    CBackupDialogLogic(CDialogLink& link, CMainDialogView& view);
    ~CBackupDialogLogic();  // the job must have ended (state() is not Running)

    DialogState state() const { return m_state; }
    // Whether the dialog may end now: not while a job runs, its thread would lose the dialog.
    bool mayEnd() const { return m_state != DialogState::Running; }
    CProtocol* job() const { return m_job.get(); }

    // Sets every control as the state wants it (at the dialog's start).
    void applyState();
    // A job button (job mode 1 backup, 2 restore): disables the controls, creates the job with
    // the address and starts it. A job that never started ends at once. Nothing when a job was
    // started before.
    void startJob(int jobMode, const std::string& address);

    // Joins the ended job's thread and deletes the job (the dialog is going).
    void releaseJob();

    // The worker's synchronous messages; each answers the message's result.
    long onMessage(unsigned message);
    long OnJobDone();
    long OnAskPassword();
    long OnChooseSKD();

private:
    CDialogLink& m_link;
    CMainDialogView& m_view;
    DialogState m_state = DialogState::Idle;
    std::unique_ptr<CProtocol> m_job;
};

}  // namespace ui
