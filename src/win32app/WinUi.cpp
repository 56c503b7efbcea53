#include "win32app/WinUi.h"

#include "platform/win32/Wide.h"
#include "ui/DialogLogic.h"
#include "win32app/CWinLanguage.h"

#include <cmath>
#include <vector>

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

int textRoom(HWND w, ui::ControlKind kind)
{
    RECT client;
    ::GetClientRect(w, &client);
    int room = client.right - client.left;
    if (kind == ui::ControlKind::Button || kind == ui::ControlKind::Defbutton)
        room -= 2 * (::GetSystemMetrics(SM_CXEDGE) + 1);
    else if (kind == ui::ControlKind::Checkbox)
        room -= ::GetSystemMetrics(SM_CXMENUCHECK) + 2 * ::GetSystemMetrics(SM_CXEDGE);
    return room;
}

int textWidth(HWND w, const std::string& text, int* height)
{
    HDC dc = ::GetDC(w);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(w, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    const std::wstring t = wide(text);
    ::DrawTextW(dc, t.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(dc, old);
    ::ReleaseDC(w, dc);
    if (height)
        *height = r.bottom - r.top;
    return r.right - r.left;
}

void fitTexts(HWND dialog, const ui::DialogTemplate& description)
{
    std::vector<HWND> children;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    // Half a character of air, so that a text does not touch its frame.
    RECT unit{0, 0, 2, 0};
    ::MapDialogRect(dialog, &unit);
    std::vector<ui::TextRoom> texts;
    for (size_t i = 0; i < children.size() && i < description.controls.size(); ++i) {
        const ui::TemplateControl& c = description.controls[i];
        if (c.textKey)
            texts.push_back({textWidth(children[i], windowText(children[i])) + unit.right, textRoom(children[i], c.kind)});
    }
    const double factor = ui::widenFactor(texts);
    ::SetPropW(dialog, kWidenProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(std::lround(factor * 1000))));
    if (factor <= 1.0)
        return;
    for (HWND c : children) {
        RECT r;
        ::GetWindowRect(c, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        ::SetWindowPos(c, nullptr, static_cast<int>(std::lround(r.left * factor)), r.top,
                       static_cast<int>(std::lround((r.right - r.left) * factor)), r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client;
    ::GetClientRect(dialog, &client);
    RECT window;
    ::GetWindowRect(dialog, &window);
    const int grow = static_cast<int>(std::lround(client.right * factor)) - client.right;
    ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + grow, window.bottom - window.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
        const BOOL result = self->onInitDialog();
        if (const ui::DialogTemplate* description = ui::dialogTemplate(self->m_templateId))
            fitTexts(window, *description);
        return result;
    }
    auto* self = reinterpret_cast<CModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        ::RemovePropW(window, kWidenProperty);
        self->m_hwnd = nullptr;
        return FALSE;
    }
    return self->onMessage(message, wParam, lParam);
}

}  // namespace winui
