#include "CSKDChooseDlg.h"

#include "DialogUnits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

CSKDChooseDlg::CSKDChooseDlg(QWidget* parent) : QDialog(parent)
{
    TemplateLayout layout(this, ui::IDD_SKD_CHOOSE);
    m_check = layout.control<QCheckBox>(ui::IDC_IDENTICAL);
    m_combo = layout.control<QComboBox>(ui::IDC_MASTER);
    m_ok = layout.control<QPushButton>(ui::IDC_OK);
    m_cancel = layout.control<QPushButton>(ui::IDC_CANCEL);
    layout.label("IDD_134_MASTER_LABEL")->setBuddy(m_combo);
    layout.apply();

    connect(m_check, &QCheckBox::clicked, this, &CSKDChooseDlg::OnCheckIdentical);
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
    // In the list's order: the entries' positions are those of the box.
    m_entries = ui::skdEntries(*m_list);
    for (const ui::SkdEntry& entry : m_entries)
        m_combo->addItem(QString::fromStdString(entry.text));
    if (m_combo->count() > 0)
        m_combo->setCurrentIndex(0);
}

void CSKDChooseDlg::OnCheckIdentical()
{
    m_identical = m_check->isChecked();
    m_combo->setEnabled(m_identical);
}

void CSKDChooseDlg::accept()
{
    if (m_master)
        *m_master = ui::skdMaster(m_entries, m_combo->currentIndex(), m_identical);
    QDialog::accept();
}
