#pragma once

#include "platform/DialogLink.h"
#include "ui/DialogLogic.h"
#include "win32app/WinUi.h"

#include <memory>
#include <string>

// The main dialog (template 102): the gateway address, the two job buttons, the close button
// and the status list, with the progress band below. It is the job's link to the dialog
// thread: the worker reaches it only by SendMessageW, with WM_ASK_PASSWORD, WM_SKD_CHOOSE
// and WM_JOB_DONE as themselves, its status lines, file choice and message boxes as one
// private message that runs the request here.
class CBackupDlg : public winui::CModalDialog, public CDialogLink, private ui::CMainDialogView
{
public:
    // Carries a request of the worker (a std::function<void()>*) to the dialog thread.
    static constexpr UINT WM_RUN_ON_DIALOG = WM_APP + 0x30;
    static constexpr UINT_PTR kProgressTimer = 1;

    CBackupDlg();
    ~CBackupDlg() override;

    ui::DialogState state() const { return m_logic.state(); }
    CProtocol* job() const { return m_logic.job(); }
    HWND toolTips() const { return m_toolTips; }

protected:
    BOOL onInitDialog() override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onOK() override;
    void onCancel() override;

    // CDialogLink
    void invokeOnDialogThread(const std::function<void()>& fn) override;
    long deliverMessage(unsigned message, long wParam, long lParam) override;
    void onStatusLine(const std::string& line) override;
    long onMessage(unsigned message, long wParam, long lParam) override;
    bool onChooseFile(int jobMode, std::string& path) override;
    void onMessageBox(const std::string& text) override;

private:
    // ui::CMainDialogView
    void enableControl(int controlId, bool enabled) override;
    std::optional<std::string> runPasswordPrompt() override;
    std::optional<int> runSkdChoice(const std::vector<std::string>& list) override;
    void busy(bool on) override;
    void jobStateChanged(ui::DialogState state, bool full) override;

    void addBand();
    void addToolTips();
    void pollProgress();
    void setProgressText(const std::string& text);
    void paintIcon();

    ui::CBackupDialogLogic m_logic;
    DWORD m_thread;
    HWND m_toolTips = nullptr;
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;
    std::wstring m_startFolder;
    std::string m_progressText;
    HCURSOR m_savedCursor = nullptr;
};
