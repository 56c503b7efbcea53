#pragma once

#include "ui/DialogLogic.h"
#include "win32app/WinUi.h"

#include <string>
#include <vector>

// Asks before an SKD backup whether all SKDs hold the same data and which is the master
// (template 134). The combo box is filled once when the dialog opens and usable only while
// the box is ticked.
class CSKDChooseDlg : public winui::CModalDialog
{
public:
    explicit CSKDChooseDlg(const std::vector<std::string>& list);
    // After IDOK: the master's number, 0 for none.
    int master() const { return m_master; }

protected:
    BOOL onInitDialog() override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onOK() override;

private:
    std::vector<ui::SkdEntry> m_entries;
    bool m_identical = false;
    int m_master = 0;
};
