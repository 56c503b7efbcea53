#pragma once

#include "ui/DialogLogic.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;

// Asks before an SKD backup whether all SKDs hold the same data and which one is the master.
// OK answers the master's number when the box is ticked, else 0.
class CSKDChooseDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSKDChooseDlg(QWidget* parent = nullptr);
    ~CSKDChooseDlg() override;

    // The SKD numbers found on the bus (decimal text, ascending) and where OK puts the
    // master. Both belong to the caller and must outlive the dialog's run.
    void setList(const std::vector<std::string>* list, int* master);

    bool identical() const { return m_identical; }

    QCheckBox* identicalBox() const { return m_check; }
    QComboBox* masterCombo() const { return m_combo; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnCheckIdentical();
    void fillCombo();

    QCheckBox* m_check;
    QComboBox* m_combo;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_identical = false;
    std::vector<ui::SkdEntry> m_entries;
    bool m_filled = false;
    const std::vector<std::string>* m_list = nullptr;
    int* m_master = nullptr;
};
