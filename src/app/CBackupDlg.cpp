#include "CBackupDlg.h"

#include "CPasswordDlg.h"
#include "CSKDChooseDlg.h"
#include "DialogUnits.h"
#include "ModalRunner.h"
#include "bus/CKandoProtocol.h"
#include "job/CMessage.h"
#include "gateway/GatewayDefs.h"
#include "job/CProtocol.h"
#include "lang/CLangResources.h"
#include "resources/Version.h"

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
#include <QRegularExpressionValidator>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <cmath>

namespace {

// The band under the template's controls: one line of text above the bar. The dialog grows
// by the bar's height; every control of the template keeps its place.
constexpr int kTemplateWidth = 318;
constexpr int kTemplateHeight = 265;
constexpr int kBarHeight = 10;
constexpr int kProgressTextTop = 248;
constexpr int kBarTop = 258;
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

CBackupDlg::CBackupDlg(QWidget* parent) : QDialog(parent), m_locale(QStringLiteral("es"))
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
    while (m_jobRunning)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_job.reset();
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
    setWindowTitle(m_lang->text("IDD_102_TITLE"));
    TemplateLayout layout(this, kTemplateWidth, kTemplateHeight + kBarHeight);

    // Created in the template's tab order.
    m_close = new QPushButton(m_lang->text("IDD_102_CLOSE"), this);
    layout.add(m_close, 104, 232, 110, 14);
    m_addressLabel = new QLabel(m_lang->text("IDD_102_ADDRESS_LABEL"), this);
    layout.add(m_addressLabel, 17, 22, 44, 9);
    m_portLabel = new QLabel(m_lang->text("IDD_102_PORT_LABEL"), this);
    layout.add(m_portLabel, 164, 22, 93, 11);
    m_portLabel->hide();
    // The job always uses the fixed ports; the edit only shows the gateway's.
    m_port = new QLineEdit(this);
    layout.add(m_port, 164, 33, 110, 12, false);
    m_port->setMaxLength(5);
    m_port->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_port));
    m_port->hide();
    m_backup = new QPushButton(m_lang->text("IDD_102_BACKUP"), this);
    layout.add(m_backup, 17, 62, 110, 16);
    m_restore = new QPushButton(m_lang->text("IDD_102_RESTORE"), this);
    layout.add(m_restore, 189, 62, 110, 16);
    m_list = new QListWidget(this);
    layout.add(m_list, 17, 88, 282, 135, false);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_address = new QLineEdit(this);
    layout.add(m_address, 17, 33, 110, 12, false);
    // The job keeps the address in a field of 16 characters.
    m_address->setMaxLength(static_cast<int>(CProtocol::kMaxAddressLength));
    m_addressLabel->setBuddy(m_address);

    m_progressText = new QLabel(this);
    layout.add(m_progressText, 17, kProgressTextTop, 282, 9, false);
    m_progressBar = new QProgressBar(this);
    layout.add(m_progressBar, 17, kBarTop, 282, kBarHeight, false);
    m_progressBar->setRange(0, kBarSteps);
    m_progressBar->setTextVisible(false);
    resetProgress(false);
    layout.apply();

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(kProgressPollMs);
    connect(m_progressTimer, &QTimer::timeout, this, &CBackupDlg::pollProgress);

    connect(m_close, &QPushButton::clicked, this, &CBackupDlg::reject);
    connect(m_backup, &QPushButton::clicked, this, &CBackupDlg::OnBackup);
    connect(m_restore, &QPushButton::clicked, this, &CBackupDlg::OnRestore);
}

void CBackupDlg::OnInitDialog()
{
    m_port->setText(QString::number(gw::PORT));
    m_address->clear();

    m_message = CMessage::getInstance();
    setWindowTitle(QString::fromStdString(m_message->loadText(MSG_TOOL_TITLE)) + QLatin1Char(' ') + QLatin1String(kProgramVersion));
    m_message->setListBox(this);

    auto tip = [this](QWidget* widget, int id) { widget->setToolTip(QString::fromStdString(m_message->loadText(id))); };
    tip(m_restore, MSG_TIP_RESTORE);
    tip(m_backup, MSG_TIP_BACKUP);
    tip(m_close, MSG_TIP_CLOSE);
    tip(m_address, MSG_TIP_ADDRESS);
    tip(m_port, MSG_TIP_PORT);
    tip(m_list, MSG_TIP_STATUS_LIST);
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
    startJob(CProtocol::Backup);
}

void CBackupDlg::OnRestore()
{
    startJob(CProtocol::Restore);
}

void CBackupDlg::startJob(int jobMode)
{
    if (m_job)
        return;  // one job per program run
    m_restore->setEnabled(false);
    m_backup->setEnabled(false);
    m_close->setEnabled(false);
    m_address->setEnabled(false);
    m_port->setEnabled(false);

    m_job = std::make_unique<CProtocol>();
    m_job->init(this, this, jobMode, m_address->text().toStdString());
    m_jobRunning = true;
    clearProgress();
    resetProgress(false);
    m_progressTimer->start();
    // A job that never started sends no end notice; end it here so the dialog can close.
    if (!m_job->start())
        OnJobDone();
}

long CBackupDlg::OnJobDone()
{
    m_progressTimer->stop();
    clearProgress();
    const CProtocol::Outcome outcome = m_job ? m_job->outcome() : CProtocol::NotFinished;
    resetProgress(outcome == CProtocol::Completed || outcome == CProtocol::PlannedEnd);
    m_close->setEnabled(true);
    m_jobRunning = false;
    emit jobDone();
    return 1;
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
    const int value = report.total ? static_cast<int>(std::min(report.done, report.total) * kBarSteps / report.total) : 0;
    m_progressBar->setValue(value);
    const QString text = progressText(report);
    if (m_progressText->text() != text)
        m_progressText->setText(text);
}

QString CBackupDlg::progressText(const CProgressReport& r) const
{
    if (r.stage == ProgressStage::None)
        return QString();
    const ProgressTexts texts = [this](const char* key) { return m_lang->text(key).toStdString(); };
    const QString stage = QString::fromStdString(
        progressStageText(r, texts, CMessage::getInstance()->loadText(MSG_ALL_SKDS)));

    QString amount;
    switch (r.unit) {
    case ProgressUnit::Bytes:
        amount = m_lang->text("APP_PROGRESS_BYTES").arg(m_locale.toString(static_cast<qulonglong>(r.done)),
                                                       m_locale.toString(static_cast<qulonglong>(r.total)));
        break;
    case ProgressUnit::Steps:
        amount = m_lang->text("APP_PROGRESS_STEPS").arg(QString::number(r.done), QString::number(r.total));
        break;
    case ProgressUnit::Time: {
        const QString done = QString::number(static_cast<qulonglong>(r.done / 1'000'000'000));
        const QString total = QString::number(std::llround(static_cast<double>(r.total) / 1e9));
        amount = m_lang->text(r.exact ? "APP_PROGRESS_SECONDS" : "APP_PROGRESS_SECONDS_MAX").arg(done, total);
        break;
    }
    }

    QString line = stage + QStringLiteral(": ") + amount;
    const std::string left = progressLeftText(r, texts);
    if (!left.empty())
        line += QStringLiteral(" – ") + QString::fromStdString(left);
    return line;
}

long CBackupDlg::OnAskPassword()
{
    CPasswordDlg prompt(this);
    const int result = runModal(prompt);
    if (m_job)
        m_job->storePassword(prompt.answer(result));
    return 1;
}

long CBackupDlg::OnChooseSKD()
{
    std::vector<std::string> list;
    int master = 0;
    CSKDChooseDlg dialog(this);
    dialog.setList(&list, &master);
    // The scan runs here while the worker waits for this message, so one thread at a time
    // uses the bus connection. Its status lines reach the list directly.
    if (m_job && m_job->getKandoProtocol()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_job->getKandoProtocol()->listBusSKD(list);
        QApplication::restoreOverrideCursor();
    }
    const int result = runModal(dialog);
    if (m_job) {
        if (result == QDialog::Accepted)
            m_job->storeSKDChoice(1, &list, master);
        else
            m_job->storeSKDChoice(1, nullptr, 0);
    }
    return 1;
}

void CBackupDlg::done(int result)
{
    // Ending the dialog would delete the job while its thread still uses it.
    if (m_jobRunning)
        return;
    QDialog::done(result);
}

void CBackupDlg::closeEvent(QCloseEvent* event)
{
    if (m_jobRunning) {
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
    switch (message) {
    case WM_ASK_PASSWORD:
        return OnAskPassword();
    case WM_SKD_CHOOSE:
        return OnChooseSKD();
    case WM_JOB_DONE:
        return OnJobDone();
    default:
        return 0;
    }
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
