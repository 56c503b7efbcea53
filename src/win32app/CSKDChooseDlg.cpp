#include "win32app/CSKDChooseDlg.h"

CSKDChooseDlg::CSKDChooseDlg(const std::vector<std::string>& list)
    : CModalDialog(ui::IDD_SKD_CHOOSE), m_entries(ui::skdEntries(list))
{
}

BOOL CSKDChooseDlg::onInitDialog()
{
    HWND combo = item(ui::IDC_MASTER);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(winui::wide(m_entries[i].text).c_str()));
        // The combo sorts: each entry keeps its place in the list with it.
        if (at >= 0)
            ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
    }
    if (!m_entries.empty())
        ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    return TRUE;
}

INT_PTR CSKDChooseDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == ui::IDC_IDENTICAL && HIWORD(wParam) == BN_CLICKED) {
        m_identical = ::SendMessageW(item(ui::IDC_IDENTICAL), BM_GETCHECK, 0, 0) == BST_CHECKED;
        ::EnableWindow(item(ui::IDC_MASTER), m_identical);
        return TRUE;
    }
    return CModalDialog::onMessage(message, wParam, lParam);
}

void CSKDChooseDlg::onOK()
{
    HWND combo = item(ui::IDC_MASTER);
    const LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    int position = -1;
    if (selected != CB_ERR) {
        const LRESULT data = ::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
        if (data != CB_ERR)
            position = static_cast<int>(data);
    }
    m_master = ui::skdMaster(m_entries, position, m_identical);
    end(IDOK);
}
