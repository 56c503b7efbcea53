#include "CBackupApp.h"

#include "CBackupDlg.h"
#include "CPasswordDlg.h"
#include "CSKDChooseDlg.h"
#include "ModalRunner.h"
#include "job/CMessage.h"
#include "platform/TimeScale.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

void buildParser(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Backs up and restores the NEXO gateway and its SKD modules.\n"
                       "The language files come from lng/ below the working directory, else from\n"
                       "the installed data folder (../share/nexo-backup/lng beside the program)."));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("time-scale"),
        QStringLiteral("Multiplies every pause and time-out by F. For use with the simulator (nexo-sim) only: "
                       "a real gateway needs the full times. Time-outs never drop below 50 ms."),
        QStringLiteral("F")));
    // Renders the dialogs to PNG files in DIR, each with its window title as the picture's Title,
    // and ends (for the screenshot script and the package check).
    QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("DIR"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
}

bool save(QWidget& widget, const QString& dir, const QString& name)
{
    widget.show();
    widget.raise();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const QString path = QDir(dir).filePath(name);
    // A grab holds no title bar: the title goes into the picture's own Title field instead.
    QImage image = widget.grab().toImage();
    image.setText(QStringLiteral("Title"), widget.windowTitle());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "nexo-backup: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

bool CBackupApp::parseArguments(const QStringList& arguments, QString* message, bool* helpOnly)
{
    QCommandLineParser parser;
    buildParser(parser);
    *helpOnly = false;
    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *helpOnly = true;
        *message = parser.helpText();
        message->replace(QStringLiteral("<executable_name>"), QStringLiteral("nexo-backup"));
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first();
        return false;
    }
    if (parser.isSet(QStringLiteral("time-scale"))) {
        bool ok = false;
        const double scale = parser.value(QStringLiteral("time-scale")).toDouble(&ok);
        if (!ok || !std::isfinite(scale) || scale <= 0) {
            *message = QStringLiteral("--time-scale needs a number above 0");
            return false;
        }
        m_timeScale = scale;
    }
    m_screenshotDir = parser.value(QStringLiteral("screenshot"));
    return true;
}

bool CBackupApp::holdsToolkitOption(const QStringList& arguments)
{
    static const QStringList names = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
        "qwindowicon", "icon", "qwindowtitle", "title", "reverse", "session", "testability",
        "qmljsdebugger", "style", "stylesheet", "widgetcount", "display", "name", "visual",
        "nograb", "dograb"};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        // The toolkit takes its options with one dash or two.
        if (arg.startsWith(QLatin1String("--")))
            arg.remove(0, 1);
        if (arg.size() < 2 || arg[0] != QLatin1Char('-'))
            continue;
        if (names.contains(arg.mid(1).section(QLatin1Char('='), 0, 0)))
            return true;
    }
    return false;
}

int CBackupApp::run(const QStringList& arguments)
{
    QString message;
    bool helpOnly = false;
    if (!parseArguments(arguments, &message, &helpOnly)) {
        std::fprintf(stderr, "nexo-backup: %s\n", qPrintable(message));
        return 2;
    }
    if (helpOnly) {
        std::fputs(qPrintable(message), stdout);
        return 0;
    }
    return start();
}

int CBackupApp::start()
{
    setTimeScale(m_timeScale);
    if (!m_screenshotDir.isEmpty())
        return renderScreenshots();
    return InitInstance();
}

int CBackupApp::InitInstance()
{
    CBackupDlg dialog;
    // The constructor has shown "Not language file found!"; the dialog never shows.
    if (!dialog.languageLoaded())
        return 1;
    runModal(dialog);
    return 0;
}

int CBackupApp::renderScreenshots()
{
    if (!QDir().mkpath(m_screenshotDir)) {
        std::fprintf(stderr, "nexo-backup: cannot create %s\n", qPrintable(m_screenshotDir));
        return 2;
    }
    CBackupDlg dialog;
    if (!dialog.languageLoaded())
        return 1;
    bool ok = save(dialog, m_screenshotDir, QStringLiteral("main.png"));

    {
        CPasswordDlg prompt(&dialog);
        prompt.passwordEdit()->setText(QStringLiteral("secret"));
        ok = save(prompt, m_screenshotDir, QStringLiteral("password.png")) && ok;
    }
    {
        const std::vector<std::string> list{"1", "2", "5"};
        int master = 0;
        CSKDChooseDlg choice(&dialog);
        choice.setList(&list, &master);
        ok = save(choice, m_screenshotDir, QStringLiteral("choose.png")) && ok;
    }

    // The dialog during a job: controls disabled, a few status lines.
    dialog.addressEdit()->setText(QStringLiteral("192.168.1.20"));
    for (int id : ui::jobControls())
        dialog.control(id)->setEnabled(false);
    CMessage* message = CMessage::getInstance();
    message->post(MSG_GATEWAY_VERSION, 108.0);
    message->post(MSG_OBJECT_LOADING, "UserManagerConfig");
    message->post(MSG_OBJECT_SAVED, "UserManagerConfig");
    message->post(MSG_WAIT_FOR_GATEWAY);

    // The progress line while the job waits for the gateway, then during an SKD's transfer.
    using namespace std::chrono;
    const auto now = CProgressReport::Clock::now();
    CProgressReport wait;
    wait.stage = ProgressStage::WaitGateway;
    wait.unit = ProgressUnit::Time;
    wait.total = duration_cast<nanoseconds>(seconds(60)).count();
    wait.since = now - seconds(23);
    wait.reportedAt = now;
    dialog.showProgress(wait.at(now));
    ok = save(dialog, m_screenshotDir, QStringLiteral("main-wait.png")) && ok;

    message->post(MSG_SKD_BACKUP_START, "5");
    CProgressReport transfer;
    transfer.stage = ProgressStage::SkdBackup;
    transfer.unit = ProgressUnit::Bytes;
    transfer.skd = 5;
    transfer.done = 31744;
    transfer.total = 62000;
    transfer.stageLeft = duration_cast<nanoseconds>(seconds(42)).count();
    transfer.afterStage = duration_cast<nanoseconds>(seconds(148)).count();
    transfer.reportedAt = now;
    dialog.showProgress(transfer);
    ok = save(dialog, m_screenshotDir, QStringLiteral("main-job.png")) && ok;
    return ok ? 0 : 1;
}
