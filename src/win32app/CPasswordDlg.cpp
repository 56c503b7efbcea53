#include "win32app/CPasswordDlg.h"

#include "ui/DialogLogic.h"
#include "win32app/CWinLanguage.h"

CPasswordDlg::CPasswordDlg() : CModalDialog(ui::IDD_PASSWORD) {}

BOOL CPasswordDlg::onInitDialog()
{
    // OK comes first in the tab order: the focus starts there, Enter confirms.
    ::SetFocus(item(ui::IDC_OK));
    return FALSE;
}

void CPasswordDlg::onOK()
{
    const std::string typed = winui::windowText(item(ui::IDC_PASSWORD));
    if (!ui::passwordSendable(typed)) {
        const std::string text = CWinLanguage::instance().text("APP_PASSWORD_CHARSET");
        ::MessageBoxW(hwnd(), winui::wide(text).c_str(), winui::wide(winui::windowText(hwnd())).c_str(),
                      MB_OK | MB_ICONWARNING);
        ::SetFocus(item(ui::IDC_PASSWORD));
        ::SendMessageW(item(ui::IDC_PASSWORD), EM_SETSEL, 0, -1);
        return;
    }
    m_password = typed;
    end(IDOK);
}
