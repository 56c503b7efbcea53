#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QLineEdit;
class QPushButton;

// The gateway password prompt. The job gets " " + password after OK (so even an empty
// password gives a non-empty answer) or the cancel marker after any other end.
class CPasswordDlg : public QDialog
{
    Q_OBJECT

public:

    explicit CPasswordDlg(QWidget* parent = nullptr);
    ~CPasswordDlg() override;

    QString password() const;
    // The answer for the job after the dialog has ended with result.
    std::string answer(int result) const;

    QLineEdit* passwordEdit() const { return m_edit; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    // Refuses a password the gateway cannot receive and keeps the prompt open.
    void accept() override;

private:
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QLineEdit* m_edit;
};
