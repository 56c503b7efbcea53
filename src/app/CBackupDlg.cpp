#include "CBackupDlg.h"

#include "CPasswordDlg.h"
#include "CSKDChooseDlg.h"
#include "DialogUnits.h"
#include "ModalRunner.h"
#include "job/CMessage.h"
#include "gateway/GatewayDefs.h"
#include "job/CProtocol.h"
#include "lang/CLangResources.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTranslator>

namespace {

constexpr int kBarSteps = 1000;
// A front end needs no more than ten reports a second.
constexpr int kProgressPollMs = 100;

}  // namespace

static void initAppResources()
{
    Q_INIT_RESOURCE(app);
}

QIcon programIcon()
{
    static const bool loaded = (initAppResources(), true);
    (void)loaded;
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/nexo-backup-%1.png").arg(size), QSize(size, size));
    return icon;
}

namespace {

// The working directory, unless it is the installed data folder: the desktop entry starts the
// program there for its language files, and the user's files are not there but at home.
QString startFolderOf(const CLangResources& lang)
{
    const QString cwd = QDir::currentPath();
    const std::string data = lang.dataDir();
    if (!data.empty()) {
        const QString dataFolder = QFileInfo(QString::fromStdString(data)).canonicalFilePath();
        if (!dataFolder.isEmpty() && QFileInfo(cwd).canonicalFilePath() == dataFolder)
            return QDir::homePath();
    }
    return cwd;
}

}  // namespace

CBackupDlg::CBackupDlg(QWidget* parent) : QDialog(parent), m_logic(*this, *this), m_locale(QStringLiteral("es"))
{
    m_lang = getLangResources();
    m_startFolder = startFolderOf(*m_lang);
    m_languageLoaded = m_lang->setUp();
    if (!m_languageLoaded) {
        // Built into the program: without a language file there is nothing else to say it with.
        QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), QString::fromLatin1(kNoLanguageText),
                        QMessageBox::Ok);
        runModal(box);
    } else {
        // "blang_de" -> the toolkit's "qtbase_de"; without one its English texts stay.
        const std::string file = m_lang->loadedFile();
        const QString code = QString::fromStdString(file.substr(file.find('_') + 1));
        m_locale = QLocale(code);
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))
            && QCoreApplication::installTranslator(translator.get()))
            m_toolkitTexts = std::move(translator);
    }
    setWindowIcon(programIcon());
    buildControls();
    OnInitDialog();
}

CBackupDlg::~CBackupDlg()
{
    // The worker may still wait for this thread; let it reach its end before it is joined.
    while (jobRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_logic.releaseJob();
    if (m_message) {
        m_message->setListBox(nullptr);
        CMessage::deleteInstance();
        m_message = nullptr;
    }
    if (m_toolkitTexts)
        QCoreApplication::removeTranslator(m_toolkitTexts.get());
    m_lang->unload();
}

void CBackupDlg::buildControls()
{
    m_layout = std::make_unique<TemplateLayout>(this, ui::IDD_BACKUP);
    m_close = m_layout->control<QPushButton>(ui::IDC_CANCEL);
    m_port = m_layout->control<QLineEdit>(ui::IDC_PORT);
    m_backup = m_layout->control<QPushButton>(ui::IDC_BACKUP);
    m_restore = m_layout->control<QPushButton>(ui::IDC_RESTORE);
    m_list = m_layout->control<QListWidget>(ui::IDC_STATUS_LIST);
    m_address = m_layout->control<QLineEdit>(ui::IDC_ADDRESS);
    m_progressText = m_layout->control<QLabel>(ui::IDC_PROGRESS_TEXT);
    m_progressBar = m_layout->control<QProgressBar>(ui::IDC_PROGRESS_BAR);

    // The job always uses the fixed ports; the edit only shows the gateway's.
    m_port->setMaxLength(5);
    // The job keeps the address in a field of 16 characters.
    m_address->setMaxLength(static_cast<int>(ui::addressLimit()));
    m_layout->label("IDD_102_ADDRESS_LABEL")->setBuddy(m_address);
    m_progressBar->setRange(0, kBarSteps);
    resetProgress(false);
    m_layout->apply();

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(kProgressPollMs);
    connect(m_progressTimer, &QTimer::timeout, this, &CBackupDlg::pollProgress);

    connect(m_backup, &QPushButton::clicked, this, &CBackupDlg::OnBackup);
    connect(m_restore, &QPushButton::clicked, this, &CBackupDlg::OnRestore);
}

void CBackupDlg::OnInitDialog()
{
    m_port->setText(QString::number(gw::PORT));
    m_address->clear();

    m_message = CMessage::getInstance();
    setWindowTitle(QString::fromStdString(ui::mainTitle()));
    m_message->setListBox(this);

    for (const ui::ToolTip& tip : ui::toolTips())
        if (QWidget* w = control(tip.controlId))
            w->setToolTip(QString::fromStdString(m_message->loadText(tip.textId)));
    m_logic.applyState();
}

QWidget* CBackupDlg::control(int id) const
{
    return m_layout->control(id);
}

QStringList CBackupDlg::statusLines() const
{
    QStringList lines;
    for (int i = 0; i < m_list->count(); ++i)
        lines << m_list->item(i)->text();
    return lines;
}

void CBackupDlg::OnBackup()
{
    m_logic.startJob(CProtocol::Backup, m_address->text().toStdString());
}

void CBackupDlg::OnRestore()
{
    m_logic.startJob(CProtocol::Restore, m_address->text().toStdString());
}

void CBackupDlg::enableControl(int controlId, bool enabled)
{
    if (QWidget* w = control(controlId))
        w->setEnabled(enabled);
}

void CBackupDlg::jobStateChanged(ui::DialogState state, bool full)
{
    if (state == ui::DialogState::Running) {
        resetProgress(false);
        m_progressTimer->start();
        return;
    }
    m_progressTimer->stop();
    resetProgress(full);
    emit jobDone();
}

void CBackupDlg::pollProgress()
{
    CProgressReport report;
    if (progressNow(report))
        showProgress(report);
}

void CBackupDlg::resetProgress(bool full)
{
    m_progressBar->setValue(full ? kBarSteps : 0);
    m_progressText->setText(full ? m_lang->text("APP_PROGRESS_DONE") : QString());
}

void CBackupDlg::showProgress(const CProgressReport& report)
{
    if (report.stage == ProgressStage::None)
        return;
    m_progressBar->setValue(ui::progressValue(report, kBarSteps));
    const QString text = progressText(report);
    if (m_progressText->text() != text)
        m_progressText->setText(text);
}

QString CBackupDlg::progressText(const CProgressReport& r) const
{
    const ProgressTexts texts = [this](const char* key) { return m_lang->text(key).toStdString(); };
    const auto groupCount = [this](uint64_t n) { return m_locale.toString(static_cast<qulonglong>(n)).toStdString(); };
    return QString::fromStdString(ui::progressLine(r, texts, groupCount));
}

std::optional<std::string> CBackupDlg::runPasswordPrompt()
{
    CPasswordDlg prompt(this);
    if (runModal(prompt) != QDialog::Accepted)
        return std::nullopt;
    return prompt.password().toStdString();
}

std::optional<int> CBackupDlg::runSkdChoice(const std::vector<std::string>& list)
{
    int master = 0;
    CSKDChooseDlg dialog(this);
    dialog.setList(&list, &master);
    if (runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return master;
}

void CBackupDlg::busy(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CBackupDlg::done(int result)
{
    // Ending the dialog would delete the job while its thread still uses it.
    if (!m_logic.mayEnd())
        return;
    QDialog::done(result);
}

void CBackupDlg::closeEvent(QCloseEvent* event)
{
    if (!m_logic.mayEnd()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CBackupDlg::keyPressEvent(QKeyEvent* event)
{
    // A focused button takes Enter itself; anywhere else Enter ends the dialog, like Escape.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CBackupDlg::invokeOnDialogThread(const std::function<void()>& fn)
{
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(this, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

void CBackupDlg::onStatusLine(const std::string& line)
{
    auto* item = new QListWidgetItem(QString::fromStdString(line));
    m_list->addItem(item);
    m_list->scrollToItem(item);
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
}

long CBackupDlg::onMessage(unsigned message, long, long)
{
    return m_logic.onMessage(message);
}

bool CBackupDlg::onChooseFile(int jobMode, std::string& path)
{
    QFileDialog dialog(this, QString(), m_startFolder);
    if (jobMode == CProtocol::Backup) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // An existing backup is replaced without asking.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setNameFilters({QStringLiteral("Mirak File (*.mrk)"), QStringLiteral("All Files (*.*)")});
    dialog.setDefaultSuffix(QStringLiteral("mrk"));
    if (runModal(dialog) != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return false;
    path = QFile::encodeName(files.first()).toStdString();
    return true;
}

void CBackupDlg::onMessageBox(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(), QString::fromStdString(text), QMessageBox::Ok, this);
    runModal(box);
}
