#include "AppTestSupport.h"
#include "TestSupport.h"

#include "CBackupApp.h"
#include "DialogUnits.h"
#include "job/CMessage.h"
#include "lang/CLangResources.h"
#include "platform/TimeScale.h"
#include "resources/Version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTemporaryDir>
#include <QValidator>

#include <QThread>

#include <atomic>
#include <thread>
#include <unistd.h>

using namespace apptest;

namespace {

QString stringText(int id)
{
    return QString::fromStdString(CMessage::getInstance()->loadText(id));
}

TEST(MainDialog, StartState)
{
    CBackupDlg dialog;
    ASSERT_TRUE(dialog.languageLoaded());
    EXPECT_EQ(getLangResources()->loadedFile(), "blang_en");
    dialog.show();

    EXPECT_TRUE(dialog.addressEdit()->text().isEmpty());
    EXPECT_EQ(dialog.addressEdit()->maxLength(), 16);
    EXPECT_FALSE(dialog.portEdit()->isVisible());
    EXPECT_EQ(dialog.portEdit()->text(), "11574");
    EXPECT_EQ(dialog.statusList()->count(), 0);

    // The title comes from the language file, not from the built-in Spanish table.
    const QString text104 = stringText(104);
    EXPECT_NE(text104.toStdString(), "Versión de herramienta de Copias de seguridad NEXO");
    EXPECT_EQ(dialog.windowTitle(), text104 + " " + QLatin1String(kProgramVersion));

    const std::pair<QWidget*, int> tips[] = {
        {dialog.restoreButton(), 105}, {dialog.backupButton(), 106}, {dialog.closeButton(), 107},
        {dialog.addressEdit(), 108},   {dialog.portEdit(), 109},     {dialog.statusList(), 110},
    };
    for (const auto& [widget, id] : tips) {
        EXPECT_FALSE(widget->toolTip().isEmpty()) << id;
        EXPECT_EQ(widget->toolTip(), stringText(id)) << id;
    }
    for (QWidget* w : {static_cast<QWidget*>(dialog.backupButton()), static_cast<QWidget*>(dialog.restoreButton()),
                       static_cast<QWidget*>(dialog.closeButton()), static_cast<QWidget*>(dialog.addressEdit())})
        EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ(dialog.backupButton()->text(), getLangResources()->text("IDD_102_BACKUP"));
    EXPECT_FALSE(dialog.windowIcon().isNull());

    // Typing past 16 characters is refused.
    QTest::keyClicks(dialog.addressEdit(), "192.168.100.200.extra");
    EXPECT_EQ(dialog.addressEdit()->text(), "192.168.100.200.");
}

// A job button disables the five controls before the job starts; once the job has ended
// (here after a cancelled file dialog) only the close button comes back.
TEST(MainDialog, JobButtonDisablesControlsAndOnlyCloseComesBack)
{
    struct Case {
        const char* name;
        int mode;
        QFileDialog::AcceptMode acceptMode;
        QFileDialog::FileMode fileMode;
        bool replaceWithoutAsking;
    };
    const Case cases[] = {
        {"backup", 1, QFileDialog::AcceptSave, QFileDialog::AnyFile, true},
        {"restore", 2, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBackupDlg dialog;
        dialog.show();
        dialog.addressEdit()->setText("127.0.0.1");
        ModalScript script;
        bool checked = false;
        script.file = [&](QFileDialog& files) {
            checked = true;
            for (QWidget* w : {static_cast<QWidget*>(dialog.restoreButton()), static_cast<QWidget*>(dialog.backupButton()),
                               static_cast<QWidget*>(dialog.closeButton()), static_cast<QWidget*>(dialog.addressEdit()),
                               static_cast<QWidget*>(dialog.portEdit())})
                EXPECT_FALSE(w->isEnabled());
            EXPECT_TRUE(dialog.jobRunning());
            EXPECT_EQ(files.acceptMode(), c.acceptMode);
            EXPECT_EQ(files.fileMode(), c.fileMode);
            EXPECT_EQ(files.testOption(QFileDialog::DontConfirmOverwrite), c.replaceWithoutAsking);
            EXPECT_EQ(files.nameFilters(), QStringList({"Mirak File (*.mrk)", "All Files (*.*)"}));
            EXPECT_EQ(files.defaultSuffix(), "mrk");
            return int(QDialog::Rejected);
        };
        QTest::mouseClick(c.mode == 1 ? dialog.backupButton() : dialog.restoreButton(), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return !dialog.jobRunning(); }, 20000));
        EXPECT_TRUE(checked);
        EXPECT_TRUE(dialog.closeButton()->isEnabled());
        EXPECT_FALSE(dialog.backupButton()->isEnabled());
        EXPECT_FALSE(dialog.restoreButton()->isEnabled());
        EXPECT_FALSE(dialog.addressEdit()->isEnabled());
        EXPECT_FALSE(dialog.portEdit()->isEnabled());
        // A cancelled file choice ends the job without a line.
        EXPECT_EQ(dialog.statusList()->count(), 0);
        EXPECT_TRUE(script.boxes.isEmpty());
    }
}

// Installed, the dialog finds its language files from any folder, and its file dialog opens
// where the user started it; the desktop entry starts it in the data folder, which stands for
// the home folder then.
TEST(MainDialog, InstalledFileDialogOpensWhereTheProgramWasStarted)
{
    QTemporaryDir root;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(root.isValid() && elsewhere.isValid());
    const QString data = root.filePath("share/nexo-backup");
    ASSERT_TRUE(QDir().mkpath(root.filePath("bin")) && QDir().mkpath(data + "/lng"));
    ASSERT_TRUE(QFile::copy("lng/blang_en.qm", data + "/lng/blang_en.qm"));
    // The working directory and the program's folder come back however the test ends.
    struct Restore {
        QString cwd = QDir::currentPath();
        ~Restore()
        {
            QDir::setCurrent(cwd);
            getLangResources()->setProgramDir("");
        }
    } restore;
    getLangResources()->setProgramDir(root.filePath("bin").toStdString());

    const std::pair<QString, QString> cases[] = {
        {elsewhere.path(), elsewhere.path()},
        {data, QDir::homePath()},
    };
    for (const auto& [started, expected] : cases) {
        SCOPED_TRACE(started.toStdString());
        ASSERT_TRUE(QDir::setCurrent(started));
        {
            // Before the dialog: a missing language file would show its box at once.
            ModalScript script;
            QString opened;
            script.file = [&](QFileDialog& files) {
                opened = files.directory().absolutePath();
                return int(QDialog::Rejected);
            };
            CBackupDlg dialog;
            ASSERT_TRUE(dialog.languageLoaded());
            EXPECT_EQ(getLangResources()->loadedPath(), (data + "/lng/blang_en.qm").toStdString());
            EXPECT_EQ(dialog.startFolder().toStdString(), expected.toStdString());
            dialog.show();
            dialog.addressEdit()->setText("127.0.0.1");
            QTest::mouseClick(dialog.backupButton(), Qt::LeftButton);
            EXPECT_TRUE(waitFor([&] { return !dialog.jobRunning(); }, 20000));
            EXPECT_EQ(opened.toStdString(), expected.toStdString());
        }
    }
}

TEST(MainDialog, CannotBeEndedWhileAJobRuns)
{
    CBackupDlg dialog;
    dialog.show();
    int finished = 0;
    QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });
    ModalScript script;
    script.file = [&](QFileDialog&) {
        // The worker waits for this answer: the job is running.
        dialog.close();                                // close box, window manager
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(dialog.statusList(), Qt::Key_Enter, Qt::KeypadModifier);
        dialog.reject();
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(finished, 0);
        return int(QDialog::Rejected);
    };
    QTest::mouseClick(dialog.backupButton(), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !dialog.jobRunning(); }, 20000));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(finished, 0);

    // After the job the close button ends it.
    QTest::mouseClick(dialog.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(finished, 1);
}

TEST(MainDialog, IdleDialogEndsWithEscapeEnterAndCloseBox)
{
    const std::function<void(CBackupDlg&)> ends[] = {
        [](CBackupDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](CBackupDlg& d) { QTest::keyClick(d.addressEdit(), Qt::Key_Return); },
        [](CBackupDlg& d) { d.close(); },
    };
    for (const auto& end : ends) {
        CBackupDlg dialog;
        dialog.show();
        end(dialog);
        EXPECT_FALSE(dialog.isVisible());
    }
}

// Status lines from another thread wait until they are shown, keep their order, go at the
// end and leave nothing selected.
TEST(MainDialog, StatusLinesFromTheWorker)
{
    CBackupDlg dialog;
    dialog.show();
    CDialogLink* link = &dialog;
    link->addLine("first");
    dialog.statusList()->setCurrentRow(0);  // the user selects a line
    std::atomic<int> sent{0};
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            CMessage::getInstance()->post(145, double(i));
            sent = i + 1;
        }
    });
    ASSERT_TRUE(waitFor([&] { return sent == 200; }, 20000));
    worker.join();
    const QStringList lines = dialog.statusLines();
    ASSERT_EQ(lines.size(), 201);
    EXPECT_EQ(lines.first(), "first");
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(lines[i + 1].toStdString(), CMessage::getInstance()->formatText(145, double(i))) << i;
    EXPECT_TRUE(dialog.statusList()->selectedItems().isEmpty());
    EXPECT_EQ(dialog.statusList()->currentItem(), nullptr);
}

// The dialog is the worker's link: each request made on another thread runs on the dialog
// thread, and the worker waits until it has been handled and gets its answer.
TEST(MainDialog, WorkerRequestsRunOnTheDialogThreadAndWaitForTheirAnswer)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CBackupDlg dialog;
    dialog.show();
    CDialogLink* link = &dialog;
    std::atomic<int> answered{0};  // requests the worker has had its answer to
    QThread* const gui = QThread::currentThread();
    ModalScript script;
    int fileDialogs = 0;
    script.file = [&](QFileDialog& files) {
        EXPECT_EQ(QThread::currentThread(), gui);
        EXPECT_EQ(answered, fileDialogs) << "the worker went on before its file choice was answered";
        if (fileDialogs++ == 1)
            return int(QDialog::Rejected);
        return execWith(files, [&] {
            files.selectFile(dir.filePath("chosen.mrk"));
            QMetaObject::invokeMethod(&files, "accept");
        });
    };
    bool saved = false, opened = true;
    std::string savePath, openPath = "kept";
    long unknownAnswer = -1;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        saved = link->chooseFile(1, savePath);
        ++answered;
        opened = link->chooseFile(2, openPath);
        ++answered;
        link->messageBox("caja");
        ++answered;
        unknownAnswer = link->sendMessage(0x7777);
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done.load(); }, 20000));
    worker.join();
    EXPECT_EQ(fileDialogs, 2);
    EXPECT_TRUE(saved);
    EXPECT_EQ(QString::fromStdString(savePath), dir.filePath("chosen.mrk"));
    EXPECT_FALSE(opened);
    EXPECT_EQ(openPath, "kept");
    EXPECT_EQ(script.boxes, QStringList{"caja"});
    EXPECT_EQ(unknownAnswer, 0);
}

// The file dialog and the message boxes speak the dialog's language, not always English.
TEST(MainDialog, ToolkitTextsFollowTheLanguage)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
        SKIP_FOR_MISSING("the toolkit's German texts (Debian: qt6-translations-l10n)");
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "de_DE.UTF-8");
    {
        CBackupDlg dialog;
        qputenv("LC_ALL", saved);
        ASSERT_EQ(getLangResources()->loadedFile(), "blang_de");
        EXPECT_EQ(cancel(), "Abbrechen");
    }
    EXPECT_EQ(cancel(), "Cancel");
}

TEST(MainDialog, NoLanguageFileShowsTheBoxAndNeverTheDialog)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString home = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    ModalScript script;
    bool dialogShown = false;
    script.mainDialog = [&](CBackupDlg&) {
        dialogShown = true;
        return int(QDialog::Rejected);
    };
    CBackupApp app;
    const int status = app.run({"nexo-backup"});
    QDir::setCurrent(home);
    EXPECT_NE(status, 0);
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(script.boxes, QStringList({"Not language file found!"}));
}

TEST(MainDialog, CommandLine)
{
    const double before = timeScale();
    struct Case {
        QStringList args;
        bool ok;
        double scale;
    };
    const Case cases[] = {
        {{"nexo-backup"}, true, 1.0},
        {{"nexo-backup", "--time-scale", "0.01"}, true, 0.01},
        {{"nexo-backup", "--time-scale=2"}, true, 2.0},
        {{"nexo-backup", "--time-scale", "0"}, false, 0},
        {{"nexo-backup", "--time-scale", "-1"}, false, 0},
        {{"nexo-backup", "--time-scale", "fast"}, false, 0},
        {{"nexo-backup", "--time-scale", "inf"}, false, 0},
        {{"nexo-backup", "--time-scale"}, false, 0},
        {{"nexo-backup", "--port", "1"}, false, 0},
        {{"nexo-backup", "192.168.1.1"}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        CBackupApp app;
        QString message;
        bool help = false;
        EXPECT_EQ(app.parseArguments(c.args, &message, &help), c.ok) << message.toStdString();
        if (c.ok)
            EXPECT_DOUBLE_EQ(app.timeScaleOption(), c.scale);
        else
            EXPECT_EQ(CBackupApp().run(c.args), 2);
    }
    CBackupApp app;
    QString help;
    bool helpOnly = false;
    ASSERT_TRUE(app.parseArguments({"nexo-backup", "--help"}, &help, &helpOnly));
    EXPECT_TRUE(helpOnly);
    EXPECT_TRUE(help.contains("--time-scale"));
    EXPECT_TRUE(help.contains("simulator"));
    EXPECT_FALSE(help.contains("screenshot"));
    EXPECT_EQ(timeScale(), before);
}

// Only the toolkit's own options wait for QApplication; any other mistake is answered at once.
TEST(MainDialog, ToolkitOptionsOnTheCommandLine)
{
    const std::pair<QStringList, bool> cases[] = {
        {{"nexo-backup", "-platform", "offscreen"}, true},
        {{"nexo-backup", "--platform", "offscreen"}, true},
        {{"nexo-backup", "-style=fusion"}, true},
        {{"nexo-backup", "--time-scale", "0.1", "-reverse"}, true},
        {{"nexo-backup", "--bogus"}, false},
        {{"nexo-backup", "--time-scale", "-1"}, false},
        {{"nexo-backup", "-x"}, false},
        {{"nexo-backup", "platform"}, false},
        {{"nexo-backup", "-"}, false},
        {{"-platform"}, false},  // the program name is no option
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(CBackupApp::holdsToolkitOption(args), expected) << args.join(' ').toStdString();
}

TEST(MainDialog, MistakeAnsweredWithoutADisplay)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert("QT_QPA_PLATFORM", "xcb");  // a display platform that finds no display
    program.setProcessEnvironment(env);
    program.start(QDir::current().filePath("nexo-backup"), {"--bogus"});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("bogus"));
}

// The prompt's answer: " " + the password as typed after OK or Enter, the cancel marker
// after Cancel, Escape or the close box.
TEST(PasswordPrompt, Answers)
{
    struct Case {
        const char* typed;
        std::function<void(CPasswordDlg&)> end;
        std::string answer;
    };
    auto ok = [](CPasswordDlg& d) { QTest::mouseClick(d.okButton(), Qt::LeftButton); };
    auto enter = [](CPasswordDlg& d) { QTest::keyClick(d.passwordEdit(), Qt::Key_Return); };
    auto cancel = [](CPasswordDlg& d) { QTest::mouseClick(d.cancelButton(), Qt::LeftButton); };
    auto escape = [](CPasswordDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); };
    auto closeBox = [](CPasswordDlg& d) { d.close(); };
    const Case cases[] = {
        {"", ok, " "},
        {"two  inner blanks ", ok, " two  inner blanks "},
        {"AskForPwd=IDCANCEL", ok, " AskForPwd=IDCANCEL"},
        {"café€", enter, " café€"},
        {"secret", cancel, "AskForPwd=IDCANCEL"},
        {"secret", escape, "AskForPwd=IDCANCEL"},
        {"secret", closeBox, "AskForPwd=IDCANCEL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CPasswordDlg prompt;
        EXPECT_EQ(prompt.passwordEdit()->echoMode(), QLineEdit::Password);
        const int result = execWith(prompt, [&] {
            EXPECT_EQ(prompt.focusWidget(), prompt.okButton());
            typeText(prompt.passwordEdit(), QString::fromUtf8(c.typed));
            c.end(prompt);
        });
        EXPECT_EQ(prompt.answer(result), c.answer);
    }
}

TEST(PasswordPrompt, RefusesCharactersTheGatewayCannotTake)
{
    ModalScript script;
    CPasswordDlg prompt;
    bool stillOpen = false;
    const int result = execWith(prompt, [&] {
        typeText(prompt.passwordEdit(), QString::fromUtf8("pässwort Ω"));
        QTest::mouseClick(prompt.okButton(), Qt::LeftButton);
        stillOpen = prompt.isVisible();
        QTest::keyClick(&prompt, Qt::Key_Escape);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(script.boxes, QStringList({getLangResources()->text("APP_PASSWORD_CHARSET")}));
    EXPECT_FALSE(script.boxes.first().isEmpty());
    EXPECT_EQ(prompt.answer(result), "AskForPwd=IDCANCEL");
}

// The SKD choice: the master is answered only with the box ticked.
TEST(SkdChoice, Answers)
{
    struct Case {
        const char* name;
        std::vector<std::string> list;
        std::function<void(CSKDChooseDlg&)> actions;
        int result;
        int master;
    };
    auto click = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); };
    auto tick = [](CSKDChooseDlg& d) { d.identicalBox()->click(); };
    const Case cases[] = {
        {"cancel", {"1", "2", "5"}, [&](CSKDChooseDlg& d) { tick(d); d.masterCombo()->setCurrentIndex(2); click(d.cancelButton()); },
         QDialog::Rejected, -1},
        {"no SKD found", {}, [&](CSKDChooseDlg& d) { tick(d); click(d.okButton()); }, QDialog::Accepted, 0},
        {"box not ticked", {"1", "2", "5"}, [&](CSKDChooseDlg& d) { d.masterCombo()->setCurrentIndex(2); click(d.okButton()); },
         QDialog::Accepted, 0},
        {"ticked, SKD 5", {"1", "2", "5"},
         [&](CSKDChooseDlg& d) {
             tick(d);
             EXPECT_TRUE(d.masterCombo()->isEnabled());
             d.masterCombo()->setCurrentIndex(2);
             click(d.okButton());
         },
         QDialog::Accepted, 5},
        {"ticked, first entry", {"3", "4"}, [&](CSKDChooseDlg& d) { tick(d); QTest::keyClick(&d, Qt::Key_Return); },
         QDialog::Accepted, 3},
        {"tick then untick", {"1", "2", "5"},
         [&](CSKDChooseDlg& d) {
             tick(d);
             d.masterCombo()->setCurrentIndex(1);
             tick(d);
             EXPECT_FALSE(d.masterCombo()->isEnabled());
             click(d.okButton());
         },
         QDialog::Accepted, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int master = -1;
        CSKDChooseDlg dialog;
        dialog.setList(&c.list, &master);
        const int result = execWith(dialog, [&] {
            EXPECT_FALSE(dialog.masterCombo()->isEnabled());
            EXPECT_EQ(dialog.masterCombo()->count(), int(c.list.size()));
            for (size_t i = 0; i < c.list.size() && int(i) < dialog.masterCombo()->count(); ++i)
                EXPECT_EQ(dialog.masterCombo()->itemText(int(i)), stringText(157) + " " + QString::fromStdString(c.list[i]));
            EXPECT_EQ(dialog.masterCombo()->currentIndex(), c.list.empty() ? -1 : 0);
            c.actions(dialog);
            if (dialog.isVisible())  // an action that did not end it: fail rather than hang
                dialog.reject();
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(master, c.master);
    }
}

TEST(SkdChoice, RepaintKeepsTheUsersChoice)
{
    const std::vector<std::string> list{"1", "2", "5"};
    int master = 0;
    CSKDChooseDlg dialog;
    dialog.setList(&list, &master);
    execWith(dialog, [&] {
        dialog.identicalBox()->click();
        dialog.masterCombo()->setCurrentIndex(2);
        // Painted again, and shown again as after a minimise.
        dialog.repaint();
        QShowEvent again;
        QApplication::sendEvent(&dialog, &again);
        QTest::qWait(20);
        EXPECT_EQ(dialog.masterCombo()->currentIndex(), 2);
        EXPECT_EQ(dialog.masterCombo()->count(), 3);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(master, 5);
}

}  // namespace

namespace {

// The progress band lies under the template's controls, which keep their places: the dialog
// only grows by it.
TEST(MainDialog, ProgressBandUnderTheTemplate)
{
    CBackupDlg dialog;
    dialog.show();
    const DialogUnits units(dialog.font());
    const struct {
        QWidget* control;
        int y, height;
    } controls[] = {
        {dialog.closeButton(), 232, 14},
        {dialog.backupButton(), 62, 16},
        {dialog.restoreButton(), 62, 16},
    };
    for (const auto& c : controls) {
        EXPECT_EQ(c.control->geometry().top(), units.y(c.y));
        EXPECT_EQ(c.control->geometry().height(), units.y(c.height));
    }
    EXPECT_EQ(dialog.statusList()->geometry().top(), units.y(88));
    EXPECT_EQ(dialog.addressEdit()->geometry().top(), units.y(33));

    const QRect text = dialog.progressLabel()->geometry();
    const QRect bar = dialog.progressBar()->geometry();
    EXPECT_GT(text.top(), dialog.closeButton()->geometry().bottom());
    EXPECT_GT(bar.top(), text.bottom());
    EXPECT_LE(bar.bottom(), dialog.height());
    EXPECT_GT(dialog.height(), units.y(265));
    EXPECT_EQ(bar.left(), dialog.statusList()->geometry().left());
    EXPECT_EQ(bar.right(), dialog.statusList()->geometry().right());

    // No job yet: empty, no text, and not the moving bar of an unknown amount.
    EXPECT_EQ(dialog.progressBar()->value(), dialog.progressBar()->minimum());
    EXPECT_LT(dialog.progressBar()->minimum(), dialog.progressBar()->maximum());
    EXPECT_TRUE(dialog.progressLabel()->text().isEmpty());
}

// The line of a report: stage, amount and the time left where it is known, in the language.
TEST(MainDialog, ProgressLine)
{
    using namespace std::chrono;
    CBackupDlg dialog;
    const auto ns = [](auto d) { return duration_cast<nanoseconds>(d).count(); };
    const auto now = CProgressReport::Clock::now();
    auto report = [&](ProgressStage stage, ProgressUnit unit, uint64_t done, uint64_t total) {
        CProgressReport r;
        r.stage = stage;
        r.unit = unit;
        r.done = done;
        r.total = total;
        r.since = now;
        r.reportedAt = now;
        return r;
    };
    CProgressReport transfer = report(ProgressStage::SkdBackup, ProgressUnit::Bytes, 31744, 62000);
    transfer.skd = 3;
    transfer.stageLeft = ns(seconds(42));
    transfer.afterStage = ns(seconds(148));
    CProgressReport last = transfer;
    last.afterStage = 0;
    CProgressReport connect = report(ProgressStage::ConnectBus, ProgressUnit::Time, ns(seconds(5)), ns(seconds(30)));
    connect.exact = false;
    connect.attempt = 2;
    connect.attempts = 3;
    CProgressReport wait = report(ProgressStage::WaitGateway, ProgressUnit::Time, ns(seconds(23)), ns(seconds(60)));
    wait.stageLeft = ns(seconds(37));
    CProgressReport all = report(ProgressStage::SkdRestore, ProgressUnit::Bytes, 0, 62000);
    all.skd = CProgressReport::kAllSkds;
    CProgressReport longWait = report(ProgressStage::Clean, ProgressUnit::Time, 0, ns(hours(2)));
    longWait.skd = 1;
    longWait.stageLeft = ns(hours(1) + minutes(2) + seconds(3));

    const struct {
        const CProgressReport& report;
        const char* line;
    } cases[] = {
        {transfer, "Backup of SKD 3: 31,744 of 62,000 bytes – 0:42 left (job 3:10)"},
        {last, "Backup of SKD 3: 31,744 of 62,000 bytes – 0:42 left"},
        {connect, "Connecting to the bus port, attempt 2 of 3: 5 s (at most 30 s)"},
        {wait, "Waiting for the NEXO: 23 of 60 s – 0:37 left"},
        {all, "Restore of SKD [all]: 0 of 62,000 bytes"},
        {longWait, "Clearing SKD 1: 0 of 7200 s – 1:02:03 left"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dialog.progressText(c.report).toStdString(), c.line);
}

}  // namespace

namespace {

QString widgetText(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    return QString();
}

bool kindMatches(QWidget* w, ui::ControlKind kind)
{
    switch (kind) {
    case ui::ControlKind::Button:
        return qobject_cast<QPushButton*>(w) && !qobject_cast<QPushButton*>(w)->isDefault();
    case ui::ControlKind::Defbutton:
        return qobject_cast<QPushButton*>(w) && qobject_cast<QPushButton*>(w)->isDefault();
    case ui::ControlKind::Checkbox:
        return qobject_cast<QCheckBox*>(w);
    case ui::ControlKind::Static:
        return qobject_cast<QLabel*>(w);
    case ui::ControlKind::Edit:
        return qobject_cast<QLineEdit*>(w);
    case ui::ControlKind::Listbox:
        return qobject_cast<QListWidget*>(w);
    case ui::ControlKind::Combobox:
        return qobject_cast<QComboBox*>(w);
    case ui::ControlKind::Progress:
        return qobject_cast<QProgressBar*>(w);
    }
    return false;
}

// Each Qt dialog holds the controls of its template and band in the table's order, of their
// kind, with their texts, shown or hidden and enabled as the table starts them, placed at their
// dialog units; Tab walks the shown controls in the template's tab order.
TEST(Templates, QtDialogsFollowTheTable)
{
    CBackupDlg main;
    ASSERT_TRUE(main.languageLoaded());
    CPasswordDlg password;
    CSKDChooseDlg choice;
    const std::pair<QDialog*, int> dialogs[] = {
        {&main, ui::IDD_BACKUP}, {&password, ui::IDD_PASSWORD}, {&choice, ui::IDD_SKD_CHOOSE}};
    for (const auto& [dialog, id] : dialogs) {
        SCOPED_TRACE(id);
        const ui::DialogTemplate& t = *ui::dialogTemplate(id);
        std::vector<const ui::TemplateControl*> entries;
        for (const ui::TemplateControl& c : t.controls)
            entries.push_back(&c);
        for (const ui::TemplateControl& c : t.band)
            entries.push_back(&c);
        const QList<QWidget*> widgets = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(size_t(widgets.size()), entries.size());
        // Before the show: a focused button is the default for as long as it has the focus.
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_TRUE(kindMatches(widgets[qsizetype(i)], entries[i]->kind)) << entries[i]->id;

        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        const DialogUnits units(dialog->font());
        const double unitX = double(dialog->width()) / t.rect.width;  // the unit as widened for the texts
        std::vector<QWidget*> tabOrder;
        for (size_t i = 0; i < entries.size(); ++i) {
            const ui::TemplateControl& c = *entries[i];
            QWidget* w = widgets[qsizetype(i)];
            SCOPED_TRACE(c.id);
            EXPECT_EQ(w->isVisible(), c.visible());
            EXPECT_EQ(w->isEnabled(), (c.styles & ui::Style::Disabled) == 0);
            if (c.textKey) {
                EXPECT_EQ(widgetText(w), getLangResources()->text(c.textKey));
            }
            EXPECT_NEAR(w->x(), c.rect.x * unitX, 1.0);
            EXPECT_NEAR(w->width(), c.rect.width * unitX, 1.0);
            EXPECT_EQ(w->y(), units.y(c.rect.y));
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                EXPECT_EQ(edit->echoMode() == QLineEdit::Password, (c.styles & ui::Style::Password) != 0);
                QString letters = QStringLiteral("1a");
                int at = 0;
                const bool digitsOnly = edit->validator() && edit->validator()->validate(letters, at) == QValidator::Invalid;
                EXPECT_EQ(digitsOnly, (c.styles & ui::Style::Number) != 0);
            }
            if (c.visible() && (c.styles & ui::Style::Tabstop) && (c.styles & ui::Style::Disabled) == 0)
                tabOrder.push_back(w);
        }
        EXPECT_EQ(dialog->height(), units.y(t.rect.height + (t.band.empty() ? 0 : t.bandGrow)));

        ASSERT_FALSE(tabOrder.empty());
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        tabOrder.front()->setFocus(Qt::TabFocusReason);
        for (size_t i = 1; i <= tabOrder.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), tabOrder[i % tabOrder.size()]) << i;
        }
        dialog->hide();
    }
}

}  // namespace
