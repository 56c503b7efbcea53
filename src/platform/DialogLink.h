#pragma once

#include "platform/Progress.h"

#include <functional>
#include <mutex>
#include <string>

// The worker's link to the dialog thread. It stands for the main dialog's window: every
// request the job makes of the user interface goes through it and blocks the caller until
// the dialog thread has handled it. Requests are served in order; a request made on the
// dialog thread itself runs at once.
//
// Progress reports are the exception: they never wait for the dialog thread. The link keeps
// the latest one and the dialog side reads it when it redraws (about ten times a second),
// so however often the worker reports, a front end sees at most that many.
//
// The Qt dialog, the terminal front end and test fakes implement the protected handlers.

// Synchronous messages to the main dialog.
constexpr unsigned WM_JOB_DONE = 0x0401;      // last step of a job
constexpr unsigned WM_ASK_PASSWORD = 0x801F;  // the handler stores the answer with CProtocol::storePassword
constexpr unsigned WM_SKD_CHOOSE = 0x8020;    // the handler scans the bus and stores CProtocol::storeSKDChoice

// The answer to WM_ASK_PASSWORD when the user cancelled; a confirmed answer is " " + the password.
constexpr const char* kPasswordCancelAnswer = "AskForPwd=IDCANCEL";

// The status list: a line goes at the end, is brought into view, and no line stays selected.
class CListBox
{
public:
    virtual ~CListBox() = default;
    virtual void addLine(const std::string& line) = 0;
};

class CDialogLink : public CListBox
{
public:
    ~CDialogLink() override = default;

    // A status line (UTF-8).
    void addLine(const std::string& line) final;
    // WM_JOB_DONE, WM_ASK_PASSWORD, WM_SKD_CHOOSE; answers the handler's result.
    long sendMessage(unsigned message, long wParam = 0, long lParam = 0);
    // The backup file: a save dialog for job mode 1, an open dialog for mode 2.
    // True with the chosen path when the user confirmed.
    bool chooseFile(int jobMode, std::string& path);
    // A modal message box with an OK button; returns once the user has closed it.
    void messageBox(const std::string& text);

    // Any thread; returns at once.
    void reportProgress(const CProgressReport& report);
    // Dialog side: the latest report as of now; false when there was none since the last clear.
    bool progressNow(CProgressReport& report) const;
    void clearProgress();

protected:
    // Runs fn on the dialog thread and returns when it has run. Runs fn at once when
    // called on the dialog thread.
    virtual void invokeOnDialogThread(const std::function<void()>& fn) = 0;
    // How sendMessage reaches the dialog thread: by default onMessage through
    // invokeOnDialogThread. A front end with window messages sends the message itself.
    virtual long deliverMessage(unsigned message, long wParam, long lParam);

    // Handlers; they run on the dialog thread.
    virtual void onStatusLine(const std::string& line) = 0;
    virtual long onMessage(unsigned message, long wParam, long lParam) = 0;
    virtual bool onChooseFile(int jobMode, std::string& path) = 0;
    virtual void onMessageBox(const std::string& text) = 0;
    // Every report as it is made, on the reporting thread: for a fake that records them. It
    // must not block.
    virtual void onProgressReport(const CProgressReport& /*report*/) {}

private:
    CProgressSlot m_progress;
};

// A link whose dialog thread is whichever thread makes the request: the handler runs on the
// caller's thread, one request at a time. Used by the terminal front end and by tests.
class CDirectDialogLink : public CDialogLink
{
protected:
    void invokeOnDialogThread(const std::function<void()>& fn) override;

private:
    std::recursive_mutex m_mutex;
};
