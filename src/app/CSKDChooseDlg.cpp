#include "CSKDChooseDlg.h"

#include "DialogUnits.h"
#include "job/CMessage.h"
#include "lang/CLangResources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

CSKDChooseDlg::CSKDChooseDlg(QWidget* parent) : QDialog(parent)
{
    CLangResources* lang = getLangResources();
    setWindowTitle(lang->text("IDD_134_TITLE"));

    TemplateLayout layout(this, 214, 74);

    m_check = new QCheckBox(lang->text("IDD_134_IDENTICAL"), this);
    layout.add(m_check, 7, 7, 167, 17);
    auto* label = new QLabel(lang->text("IDD_134_MASTER_LABEL"), this);
    layout.add(label, 7, 31, 45, 8);
    m_combo = new QComboBox(this);
    // The template's 41 units include the drop-down list; the closed box is one edit high.
    layout.add(m_combo, 54, 29, 106, 12, false);
    m_combo->setEnabled(false);
    label->setBuddy(m_combo);
    m_ok = new QPushButton(lang->text("IDD_134_OK"), this);
    layout.add(m_ok, 7, 53, 80, 14);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(lang->text("IDD_134_CANCEL"), this);
    layout.add(m_cancel, 127, 53, 80, 14);
    layout.apply();

    connect(m_check, &QCheckBox::clicked, this, &CSKDChooseDlg::OnCheckIdentical);
    connect(m_ok, &QPushButton::clicked, this, &CSKDChooseDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CSKDChooseDlg::reject);
}

CSKDChooseDlg::~CSKDChooseDlg() = default;

void CSKDChooseDlg::setList(const std::vector<std::string>* list, int* master)
{
    m_list = list;
    m_master = master;
}

void CSKDChooseDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once, when the dialog opens: a later show or repaint keeps the user's choice.
    if (!m_filled) {
        m_filled = true;
        fillCombo();
    }
}

void CSKDChooseDlg::fillCombo()
{
    if (!m_list)
        return;
    const QString prefix = QString::fromStdString(CMessage::getInstance()->loadText(MSG_SKD)) + QLatin1Char(' ');
    for (const std::string& entry : *m_list) {
        const QString text = prefix + QString::fromStdString(entry);
        if (m_combo->findText(text, Qt::MatchExactly) < 0)
            m_combo->addItem(text, QString::fromStdString(entry));
    }
    if (m_combo->count() > 0)
        m_combo->setCurrentIndex(0);
}

void CSKDChooseDlg::OnCheckIdentical()
{
    m_identical = m_check->isChecked() ? 1 : 0;
    m_combo->setEnabled(m_identical != 0);
}

void CSKDChooseDlg::accept()
{
    int position = m_combo->currentIndex();
    if (position < 0)
        position = 0;
    int master = 0;
    if (m_identical == 1 && position < m_combo->count()) {
        // The entry's own number, so a skipped duplicate cannot shift the answer.
        bool ok = false;
        const int number = m_combo->itemData(position).toString().toInt(&ok);
        if (ok)
            master = number;
    }
    if (m_master)
        *m_master = master;
    QDialog::accept();
}
