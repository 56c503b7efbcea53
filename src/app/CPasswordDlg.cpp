#include "CPasswordDlg.h"

#include "DialogUnits.h"
#include "ModalRunner.h"
#include "lang/CLangResources.h"
#include "platform/DialogLink.h"
#include "platform/Encoding.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

CPasswordDlg::CPasswordDlg(QWidget* parent) : QDialog(parent)
{
    CLangResources* lang = getLangResources();
    setWindowTitle(lang->text("IDD_133_TITLE"));

    TemplateLayout layout(this, 217, 62);

    // Created in tab order: the focus starts on OK, Enter confirms, Escape cancels.
    m_ok = new QPushButton(lang->text("IDD_133_OK"), this);
    layout.add(m_ok, 15, 33, 50, 14);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(lang->text("IDD_133_CANCEL"), this);
    layout.add(m_cancel, 149, 33, 50, 14);
    m_edit = new QLineEdit(this);
    layout.add(m_edit, 63, 12, 134, 12, false);
    m_edit->setEchoMode(QLineEdit::Password);
    auto* label = new QLabel(lang->text("IDD_133_LABEL"), this);
    layout.add(label, 15, 14, 40, 9);
    label->setBuddy(m_edit);
    layout.apply();

    connect(m_ok, &QPushButton::clicked, this, &CPasswordDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CPasswordDlg::reject);
    m_ok->setFocus();
}

CPasswordDlg::~CPasswordDlg() = default;

QString CPasswordDlg::password() const
{
    return m_edit->text();
}

std::string CPasswordDlg::answer(int result) const
{
    if (result != QDialog::Accepted)
        return kPasswordCancelAnswer;
    return " " + password().toStdString();
}

void CPasswordDlg::accept()
{
    std::string bytes;
    if (!utf8ToCp1252(password().toStdString(), bytes)) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), getLangResources()->text("APP_PASSWORD_CHARSET"),
                        QMessageBox::Ok, this);
        runModal(box);
        m_edit->setFocus();
        m_edit->selectAll();
        return;
    }
    QDialog::accept();
}
