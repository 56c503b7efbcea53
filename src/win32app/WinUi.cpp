#include "win32app/WinUi.h"

#include "platform/win32/Wide.h"
#include "win32app/CWinLanguage.h"

namespace winui {

std::wstring wide(const std::string& text)
{
    std::wstring w;
    win32::widen(text, w);
    return w;
}

std::string utf8(const std::wstring& text)
{
    return win32::narrow(text);
}

std::string utf8(const wchar_t* text, size_t length)
{
    return win32::narrow(std::wstring(text, length));
}

std::string windowText(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int n = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return utf8(text);
}

void setWindowText(HWND window, const std::string& text)
{
    ::SetWindowTextW(window, wide(text).c_str());
}

HINSTANCE programModule()
{
    return ::GetModuleHandleW(nullptr);
}

INT_PTR CModalDialog::runModal(HWND owner)
{
    const DLGTEMPLATE* t = CWinLanguage::instance().dialogTemplate(m_templateId);
    if (!t)
        return -1;
    m_modal = true;
    return ::DialogBoxIndirectParamW(programModule(), t, owner, &CModalDialog::proc, reinterpret_cast<LPARAM>(this));
}

HWND CModalDialog::createHidden(HWND owner)
{
    const DLGTEMPLATE* t = CWinLanguage::instance().dialogTemplate(m_templateId);
    if (!t)
        return nullptr;
    m_modal = false;
    HWND w = ::CreateDialogIndirectParamW(programModule(), t, owner, &CModalDialog::proc, reinterpret_cast<LPARAM>(this));
    if (w)
        ::ShowWindow(w, SW_HIDE);
    return w;
}

void CModalDialog::end(INT_PTR result)
{
    if (m_modal)
        ::EndDialog(m_hwnd, result);
    else
        ::DestroyWindow(m_hwnd);
}

INT_PTR CModalDialog::onMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            onOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            onCancel();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK CModalDialog::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CModalDialog*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->m_hwnd = window;
        return self->onInitDialog();
    }
    auto* self = reinterpret_cast<CModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        self->m_hwnd = nullptr;
        return FALSE;
    }
    return self->onMessage(message, wParam, lParam);
}

}  // namespace winui
