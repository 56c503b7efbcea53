#pragma once

// Our own thin layer over user32 for the dialogs: UTF-8 text in and out of windows, and a modal
// dialog whose template comes from the active language library and whose handlers are members.
#include "ui/DialogTemplates.h"

#include <windows.h>

#include <string>

namespace winui {

std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& text);
std::string utf8(const wchar_t* text, size_t length);

std::string windowText(HWND window);
void setWindowText(HWND window, const std::string& text);

// The program's own module (the exe): window classes, procedures and the built-in resources.
HINSTANCE programModule();

// The pixels a control leaves its text (a button its frame, a check box its box) and the
// pixels the text takes in the control's font.
int textRoom(HWND control, ui::ControlKind kind);
int textWidth(HWND control, const std::string& text, int* height = nullptr);
// A template's fonts may run wider than its own: widens the dialog's horizontal unit
// (ui::widenFactor) so that every text fits, moving and widening every child alike. The
// factor applied, in thousandths, stays with the dialog as the property kWidenProperty.
constexpr const wchar_t* kWidenProperty = L"nexo.widen";
void fitTexts(HWND dialog, const ui::DialogTemplate& description);

class CModalDialog
{
public:
    explicit CModalDialog(int templateId) : m_templateId(templateId) {}
    virtual ~CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // Runs the dialog modally; answers what it ended with (IDOK, IDCANCEL), -1 when it could
    // not be created.
    INT_PTR runModal(HWND owner);
    // Creates it modeless and hidden instead, for checking a template; nullptr on failure.
    HWND createHidden(HWND owner);

    HWND hwnd() const { return m_hwnd; }
    HWND item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    int templateId() const { return m_templateId; }

protected:
    // TRUE when the message was handled; a result other than 0 goes with DWLP_MSGRESULT.
    virtual INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE: the system sets the focus.
    virtual BOOL onInitDialog() { return TRUE; }
    // IDOK and IDCANCEL (buttons, Enter, Escape, the close box); the default ends the dialog.
    virtual void onOK() { end(IDOK); }
    virtual void onCancel() { end(IDCANCEL); }
    void end(INT_PTR result);

private:
    static INT_PTR CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int m_templateId;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
};

}  // namespace winui
