#pragma once

#include "platform/DialogLink.h"
#include "ui/DialogLogic.h"

#include <QDialog>
#include <QIcon>
#include <QLocale>
#include <QString>

#include <memory>
#include <string>

class CLangResources;
class CMessage;
class CProtocol;
class TemplateLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;
class QTranslator;

// The main dialog: the gateway address, the two job buttons, the close button and the status
// list. It is also the job's link to the dialog thread: the worker's status lines, questions,
// file choice and message boxes arrive here and are handled on the GUI thread.
//
// Laid out from template 102; what it does apart from drawing is the shared dialog logic: a
// program run performs one job, once a job button is pressed every control stays disabled, and
// only the close button comes back when the job has ended. The dialog cannot be ended while
// the job runs.
//
// Below the template's controls a progress bar with one line of text shows the job's latest
// progress report, read ten times a second while the job runs: empty and still before,
// full after a job that ran to its end, empty again after one that failed.
class CBackupDlg : public QDialog, public CDialogLink, private ui::CMainDialogView
{
    Q_OBJECT

public:
    static constexpr const char* kNoLanguageText = "Not language file found!";

    explicit CBackupDlg(QWidget* parent = nullptr);
    ~CBackupDlg() override;

    // False when no language file could be loaded; the dialog must then not be shown.
    bool languageLoaded() const { return m_languageLoaded; }
    bool jobRunning() const { return m_logic.state() == ui::DialogState::Running; }
    bool jobStarted() const { return m_logic.job() != nullptr; }
    CProtocol* job() const { return m_logic.job(); }

    // The control of that template id (ui::IDC_...); nullptr when there is none.
    QWidget* control(int id) const;

    QLineEdit* addressEdit() const { return m_address; }
    QLineEdit* portEdit() const { return m_port; }
    QPushButton* backupButton() const { return m_backup; }
    QPushButton* restoreButton() const { return m_restore; }
    QPushButton* closeButton() const { return m_close; }
    QListWidget* statusList() const { return m_list; }
    QStringList statusLines() const;
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* progressLabel() const { return m_progressText; }

    // Shows one report on the bar and its line; the line's text in the dialog's language.
    void showProgress(const CProgressReport& report);
    QString progressText(const CProgressReport& report) const;
    // Where the file dialog opens: the folder the program was started from.
    const QString& startFolder() const { return m_startFolder; }

    // The job buttons' handlers (job mode 1 and 2).
    void OnBackup();
    void OnRestore();

signals:
    void jobDone();

public slots:
    void done(int result) override;

protected:
    void invokeOnDialogThread(const std::function<void()>& fn) override;
    void onStatusLine(const std::string& line) override;
    long onMessage(unsigned message, long wParam, long lParam) override;
    bool onChooseFile(int jobMode, std::string& path) override;
    void onMessageBox(const std::string& text) override;

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // ui::CMainDialogView
    void enableControl(int controlId, bool enabled) override;
    std::optional<std::string> runPasswordPrompt() override;
    std::optional<int> runSkdChoice(const std::vector<std::string>& list) override;
    void busy(bool on) override;
    void jobStateChanged(ui::DialogState state, bool full) override;

    void buildControls();
    void OnInitDialog();
    void pollProgress();
    void resetProgress(bool full);

    CLangResources* m_lang;
    bool m_languageLoaded = false;
    CMessage* m_message = nullptr;
    ui::CBackupDialogLogic m_logic;
    std::unique_ptr<TemplateLayout> m_layout;
    // The toolkit's own texts (file dialog, message box buttons) in the chosen language.
    std::unique_ptr<QTranslator> m_toolkitTexts;
    QString m_startFolder;

    QLineEdit* m_port = nullptr;
    QLineEdit* m_address = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_backup = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_progressText = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QTimer* m_progressTimer = nullptr;
    // Numbers in the progress line are written the way the dialog's language writes them.
    QLocale m_locale;
};

// The program icon (drawn for this program, embedded in the resources).
QIcon programIcon();
