#include "win32app/CBackupDlg.h"

#include "gateway/GatewayDefs.h"
#include "job/CMessage.h"
#include "job/CProtocol.h"
#include "win32app/CPasswordDlg.h"
#include "win32app/CSKDChooseDlg.h"
#include "win32app/CWinLanguage.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

namespace {

constexpr int kBarSteps = 1000;
constexpr UINT kProgressPollMs = 100;
// Long lines of the status list can be scrolled sideways.
constexpr WPARAM kListExtent = 10240;
constexpr int kProgramIcon = 128;

std::wstring currentFolder()
{
    const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring cwd(n, L'\0');
    const DWORD got = n ? ::GetCurrentDirectoryW(n, cwd.data()) : 0;
    cwd.resize(got < n ? got : 0);
    return cwd;
}

// Counts in the language's digit grouping, as the system writes them for the user.
std::string groupedCount(uint64_t value)
{
    const std::wstring digits = std::to_wstring(value);
    wchar_t out[64];
    NUMBERFMTW format{};
    wchar_t decimal[] = L".";
    wchar_t thousand[8] = L",";
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand, 8);
    format.NumDigits = 0;
    format.LeadingZero = 0;
    format.Grouping = 3;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    format.NegativeOrder = 1;
    const int n = ::GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits.c_str(), &format, out, 64);
    return n > 0 ? winui::utf8(out, static_cast<size_t>(n - 1)) : winui::utf8(digits);
}

}  // namespace

CBackupDlg::CBackupDlg()
    : CModalDialog(ui::IDD_BACKUP), m_logic(*this, *this), m_thread(::GetCurrentThreadId()), m_startFolder(currentFolder())
{
    // The icon is the program's own: the language libraries carry none.
    m_icon = static_cast<HICON>(::LoadImageW(winui::programModule(), MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
    m_smallIcon = static_cast<HICON>(::LoadImageW(winui::programModule(), MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
}

CBackupDlg::~CBackupDlg()
{
    // The dialog ends only once the job has sent its last message; its thread is joined here.
    m_logic.releaseJob();
    CMessage* message = CMessage::getInstance();
    message->setListBox(nullptr);
    CMessage::deleteInstance();
    if (m_icon)
        ::DestroyIcon(m_icon);
    if (m_smallIcon)
        ::DestroyIcon(m_smallIcon);
}

BOOL CBackupDlg::onInitDialog()
{
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    winui::setWindowText(item(ui::IDC_PORT), std::to_string(gw::PORT));
    ::SendMessageW(item(ui::IDC_PORT), EM_LIMITTEXT, 5, 0);
    ::SendMessageW(item(ui::IDC_ADDRESS), EM_LIMITTEXT, static_cast<WPARAM>(ui::addressLimit()), 0);
    ::SendMessageW(item(ui::IDC_STATUS_LIST), LB_SETHORIZONTALEXTENT, kListExtent, 0);
    winui::setWindowText(hwnd(), ui::mainTitle());
    CMessage::getInstance()->setListBox(this);
    addBand();
    addToolTips();
    m_logic.applyState();
    return TRUE;
}

void CBackupDlg::addBand()
{
    const ui::DialogTemplate* t = ui::dialogTemplate(ui::IDD_BACKUP);
    // The dialog grows by the band; no control of the template moves.
    RECT grow{0, 0, 0, t->bandGrow};
    ::MapDialogRect(hwnd(), &grow);
    RECT window;
    ::GetWindowRect(hwnd(), &window);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + grow.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    for (const ui::TemplateControl& c : t->band) {
        RECT r{c.rect.x, c.rect.y, c.rect.x + c.rect.width, c.rect.y + c.rect.height};
        ::MapDialogRect(hwnd(), &r);
        const bool bar = c.kind == ui::ControlKind::Progress;
        DWORD style = WS_CHILD | (c.visible() ? WS_VISIBLE : 0);
        if (!bar)
            style |= SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX;
        HWND w = ::CreateWindowExW(0, bar ? PROGRESS_CLASSW : L"STATIC", L"", style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                   winui::programModule(), nullptr);
        ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (bar)
            ::SendMessageW(w, PBM_SETRANGE32, 0, kBarSteps);
    }
}

void CBackupDlg::addToolTips()
{
    m_toolTips = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, winui::programModule(), nullptr);
    if (!m_toolTips)
        return;
    ::SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, 400);
    for (const ui::ToolTip& tip : ui::toolTips()) {
        std::wstring text = winui::wide(CMessage::getInstance()->loadText(tip.textId));
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        // The tool window's own mouse messages drive the tip: a hidden control never shows one.
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(item(tip.controlId));
        info.lpszText = text.data();
        ::SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    ::SendMessageW(m_toolTips, TTM_ACTIVATE, TRUE, 0);
}

INT_PTR CBackupDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_RUN_ON_DIALOG:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return TRUE;
    case WM_ASK_PASSWORD:
    case WM_SKD_CHOOSE:
    case WM_JOB_DONE:
        ::SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, m_logic.onMessage(message));
        return TRUE;
    case WM_TIMER:
        if (wParam == kProgressTimer) {
            pollProgress();
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // The close box: refused while a job runs, as Escape and Enter are.
        onCancel();
        return TRUE;
    case WM_PAINT:
        if (::IsIconic(hwnd())) {
            paintIcon();
            return TRUE;
        }
        break;
    case WM_QUERYDRAGICON:
        ::SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(m_icon));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == ui::IDC_BACKUP || LOWORD(wParam) == ui::IDC_RESTORE) {
                m_logic.startJob(LOWORD(wParam) == ui::IDC_BACKUP ? CProtocol::Backup : CProtocol::Restore,
                                 winui::windowText(item(ui::IDC_ADDRESS)));
                return TRUE;
            }
        }
        break;
    default:
        break;
    }
    return CModalDialog::onMessage(message, wParam, lParam);
}

void CBackupDlg::onOK()
{
    // Enter keeps the dialog's meaning of ending it, but the job's thread must not lose the dialog.
    if (m_logic.mayEnd())
        end(IDOK);
}

void CBackupDlg::onCancel()
{
    if (m_logic.mayEnd())
        end(IDCANCEL);
}

void CBackupDlg::paintIcon()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd(), &ps);
    ::SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int cx = ::GetSystemMetrics(SM_CXICON);
    const int cy = ::GetSystemMetrics(SM_CYICON);
    ::DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, m_icon);
    ::EndPaint(hwnd(), &ps);
}

void CBackupDlg::invokeOnDialogThread(const std::function<void()>& fn)
{
    if (::GetCurrentThreadId() == m_thread || !hwnd()) {
        fn();
        return;
    }
    ::SendMessageW(hwnd(), WM_RUN_ON_DIALOG, 0, reinterpret_cast<LPARAM>(&fn));
}

long CBackupDlg::deliverMessage(unsigned message, long wParam, long lParam)
{
    return static_cast<long>(::SendMessageW(hwnd(), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)));
}

void CBackupDlg::onStatusLine(const std::string& line)
{
    HWND list = item(ui::IDC_STATUS_LIST);
    const std::wstring text = winui::wide(line);
    LRESULT n = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    // At the end, whatever the list's sorting style.
    ::SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(text.c_str()));
    n = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    // Selecting the new last line brings it into view; no line stays selected.
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(n - 1), 0);
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

long CBackupDlg::onMessage(unsigned message, long, long)
{
    return m_logic.onMessage(message);
}

bool CBackupDlg::onChooseFile(int jobMode, std::string& path)
{
    std::vector<wchar_t> buffer(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = L"Mirak File (*.mrk)\0*.mrk\0All Files (*.*)\0*.*\0";
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = m_startFolder.c_str();
    ofn.lpstrDefExt = L"mrk";
    // An existing backup is replaced without asking; the working directory stays as it was.
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR
        | (jobMode == CProtocol::Backup ? OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
    const BOOL confirmed = jobMode == CProtocol::Backup ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!confirmed || buffer[0] == L'\0')
        return false;
    path = winui::utf8(std::wstring(buffer.data()));
    return !path.empty();
}

void CBackupDlg::onMessageBox(const std::string& text)
{
    ::MessageBoxW(hwnd(), winui::wide(text).c_str(), winui::wide(winui::windowText(hwnd())).c_str(),
                  MB_OK | MB_ICONWARNING);
}

void CBackupDlg::enableControl(int controlId, bool enabled)
{
    ::EnableWindow(item(controlId), enabled);
}

std::optional<std::string> CBackupDlg::runPasswordPrompt()
{
    CPasswordDlg prompt;
    if (prompt.runModal(hwnd()) != IDOK)
        return std::nullopt;
    return prompt.password();
}

std::optional<int> CBackupDlg::runSkdChoice(const std::vector<std::string>& list)
{
    CSKDChooseDlg dialog(list);
    if (dialog.runModal(hwnd()) != IDOK)
        return std::nullopt;
    return dialog.master();
}

void CBackupDlg::busy(bool on)
{
    if (on)
        m_savedCursor = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    else
        ::SetCursor(m_savedCursor ? m_savedCursor : ::LoadCursorW(nullptr, IDC_ARROW));
}

void CBackupDlg::jobStateChanged(ui::DialogState state, bool full)
{
    HWND bar = item(ui::IDC_PROGRESS_BAR);
    if (state == ui::DialogState::Running) {
        ::SendMessageW(bar, PBM_SETPOS, 0, 0);
        setProgressText(std::string());
        ::SetTimer(hwnd(), kProgressTimer, kProgressPollMs, nullptr);
        return;
    }
    ::KillTimer(hwnd(), kProgressTimer);
    ::SendMessageW(bar, PBM_SETPOS, full ? kBarSteps : 0, 0);
    setProgressText(full ? CWinLanguage::instance().text("APP_PROGRESS_DONE") : std::string());
}

void CBackupDlg::pollProgress()
{
    CProgressReport report;
    if (!progressNow(report) || report.stage == ProgressStage::None)
        return;
    ::SendMessageW(item(ui::IDC_PROGRESS_BAR), PBM_SETPOS, static_cast<WPARAM>(ui::progressValue(report, kBarSteps)), 0);
    const ProgressTexts texts = [](const char* key) { return CWinLanguage::instance().text(key); };
    setProgressText(ui::progressLine(report, texts, groupedCount));
}

void CBackupDlg::setProgressText(const std::string& text)
{
    if (text == m_progressText)
        return;
    m_progressText = text;
    winui::setWindowText(item(ui::IDC_PROGRESS_TEXT), text);
}
