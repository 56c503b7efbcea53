#pragma once

#include "win32app/WinUi.h"

#include <string>

// The gateway password prompt (template 133): a masked edit, the focus starting on OK. OK
// takes the password only when the gateway can receive it (Windows-1252), else says so and
// stays open.
class CPasswordDlg : public winui::CModalDialog
{
public:
    CPasswordDlg();
    // After IDOK: the password as typed (UTF-8).
    const std::string& password() const { return m_password; }

protected:
    BOOL onInitDialog() override;
    void onOK() override;

private:
    std::string m_password;
};
