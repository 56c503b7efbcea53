#include "CPasswordDlg.h"

#include "DialogUnits.h"
#include "ModalRunner.h"
#include "lang/CLangResources.h"
#include "ui/DialogLogic.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

CPasswordDlg::CPasswordDlg(QWidget* parent) : QDialog(parent)
{
    TemplateLayout layout(this, ui::IDD_PASSWORD);
    m_ok = layout.control<QPushButton>(ui::IDC_OK);
    m_cancel = layout.control<QPushButton>(ui::IDC_CANCEL);
    m_edit = layout.control<QLineEdit>(ui::IDC_PASSWORD);
    layout.label("IDD_133_LABEL")->setBuddy(m_edit);
    layout.apply();
    // OK is first in the tab order: the focus starts there, Enter confirms, Escape cancels.
    m_ok->setFocus();
}

CPasswordDlg::~CPasswordDlg() = default;

QString CPasswordDlg::password() const
{
    return m_edit->text();
}

std::string CPasswordDlg::answer(int result) const
{
    return ui::passwordAnswer(result == QDialog::Accepted, password().toStdString());
}

void CPasswordDlg::accept()
{
    if (!ui::passwordSendable(password().toStdString())) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), getLangResources()->text("APP_PASSWORD_CHARSET"),
                        QMessageBox::Ok, this);
        runModal(box);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    QDialog::accept();
}
