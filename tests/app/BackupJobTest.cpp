#include "AppTestSupport.h"

#include "Simulator.h"
#include "TestSupport.h"
#include "job/CMessage.h"
#include "lang/CLangResources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

using namespace apptest;

namespace {

constexpr int kJobLimitMs = 90000;

sim::Config simConfig(int n, uint32_t seed)
{
    sim::Config config;
    config.address = testsupport::loopbackAddress(n);
    config.version = 108;
    config.password = "p\xe4ss wort";  // Windows-1252 bytes, as the gateway compares them
    config.skds = {1, 2, 5};
    config.seed = seed;
    return config;
}

// The progress bar and its line at one moment.
struct BarState {
    int value = -1;
    QString text;
    bool operator==(const BarState&) const = default;
};

void PrintTo(const BarState& bar, std::ostream* out)
{
    *out << bar.value << " \"" << bar.text.toStdString() << "\"";
}

BarState barOf(const CBackupDlg& dialog)
{
    return {dialog.progressBar()->value(), dialog.progressLabel()->text()};
}

// The line under the bar once the bus scan has probed all eight addresses.
QString scanText()
{
    CLangResources* lang = getLangResources();
    return lang->text("APP_PROGRESS_SCAN") + ": " + lang->text("APP_PROGRESS_STEPS").arg("8", "8") +
           QString::fromUtf8(" – ") + lang->text("APP_PROGRESS_LEFT").arg("0:00");
}

// One job through the dialog as a user runs it: type the address, press the button, answer
// the file dialog, the password prompt and (for a backup) the SKD choice.
struct JobRun {
    QStringList lines;
    QStringList boxes;
    QStringList comboEntries;
    bool closeOnlyEnabled = false;
    // Texts of the dialog's language (it is unloaded with the dialog).
    std::string versionLine;
    std::string closedLine;
    std::string wrongPasswordLine;
    std::string wrongPasswordBox;
    // The progress bar before the job, every 10 ms while it ran, while the SKD choice was
    // open (the bus scan just over), and after it; its full value.
    BarState barBefore;
    std::vector<BarState> barDuring;
    BarState barAtChoice;
    BarState barAfter;
    int barFull = 0;
    QString doneText;
    QString scanText;
};

void typeRightPassword(CPasswordDlg& prompt)
{
    typeText(prompt.passwordEdit(), QString::fromUtf8("päss wort"));
    QTest::keyClick(&prompt, Qt::Key_Return);
}

JobRun runJob(const std::string& address, int mode, const QString& file, int master,
              const std::function<void(CPasswordDlg&)>& answerPrompt = typeRightPassword)
{
    JobRun run;
    CBackupDlg dialog;
    dialog.show();
    QTest::keyClicks(dialog.addressEdit(), QString::fromStdString(address));
    ModalScript script;
    script.file = [&](QFileDialog& files) {
        return execWith(files, [&] {
            files.selectFile(file);
            QMetaObject::invokeMethod(&files, "accept");  // the user presses Save or Open
        });
    };
    script.password = [&](CPasswordDlg& prompt) {
        return execWith(prompt, [&] { answerPrompt(prompt); });
    };
    script.choice = [&](CSKDChooseDlg& choice) {
        return execWith(choice, [&] {
            // The dialog reads the progress ten times a second, also while the choice is open:
            // the bar comes to show the finished bus scan (or, failing that, whatever it shows
            // after a generous wait, for the test to report).
            const BarState scanDone{dialog.progressBar()->maximum(), scanText()};
            waitFor([&] { return barOf(dialog) == scanDone; }, 20000);
            run.barAtChoice = barOf(dialog);
            for (int i = 0; i < choice.masterCombo()->count(); ++i)
                run.comboEntries << choice.masterCombo()->itemText(i);
            if (master > 0) {
                choice.identicalBox()->click();
                choice.masterCombo()->setCurrentIndex(
                    choice.masterCombo()->findText(QString::fromStdString(CMessage::getInstance()->loadText(157)) + " " +
                                                   QString::number(master)));
            }
            QTest::mouseClick(choice.okButton(), Qt::LeftButton);
        });
    };
    run.barBefore = barOf(dialog);
    QTest::mouseClick(mode == 1 ? dialog.backupButton() : dialog.restoreButton(), Qt::LeftButton);
    EXPECT_TRUE(waitFor(
        [&] {
            run.barDuring.push_back(barOf(dialog));
            return !dialog.jobRunning();
        },
        kJobLimitMs));
    run.barAfter = barOf(dialog);
    run.barFull = dialog.progressBar()->maximum();
    run.doneText = getLangResources()->text("APP_PROGRESS_DONE");
    run.scanText = scanText();
    run.lines = dialog.statusLines();
    run.versionLine = CMessage::getInstance()->formatText(145, 108.0);
    run.closedLine = CMessage::getInstance()->formatText(137);
    run.wrongPasswordLine = CMessage::getInstance()->formatText(153);
    run.wrongPasswordBox = CMessage::getInstance()->formatText(154);
    run.boxes = script.boxes;
    run.closeOnlyEnabled = dialog.closeButton()->isEnabled() && !dialog.backupButton()->isEnabled() &&
                           !dialog.restoreButton()->isEnabled() && !dialog.addressEdit()->isEnabled();
    return run;
}

QString readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

std::string lastLine(const JobRun& run)
{
    return run.lines.isEmpty() ? std::string() : run.lines.last().toStdString();
}

std::string allLines(const JobRun& run)
{
    return run.lines.join('\n').toStdString();
}

// The bar is empty and still before the job, only rises while the line names the same stage,
// and is full with the closing text after a job that ran to its end.
void expectBarOfACompletedJob(const JobRun& run)
{
    EXPECT_EQ(run.barBefore, BarState({0, QString()}));
    bool shown = false;
    for (size_t i = 1; i < run.barDuring.size(); ++i) {
        const BarState& before = run.barDuring[i - 1];
        const BarState& now = run.barDuring[i];
        shown = shown || !now.text.isEmpty();
        const QString stage = now.text.section(QStringLiteral(": "), 0, 0);
        if (!stage.isEmpty() && stage == before.text.section(QStringLiteral(": "), 0, 0)) {
            EXPECT_GE(now.value, before.value) << now.text.toStdString() << " after " << before.text.toStdString();
        }
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(run.barAfter, BarState({run.barFull, run.doneText}));
}

class BackupJob : public ::testing::Test
{
protected:
    testsupport::ScopedTimeScale scale{0.005};
    QTemporaryDir dir;
};

// A backup of the master SKD 5: the file name typed without extension gets ".mrk".
TEST_F(BackupJob, BackupWithMasterThroughTheDialog)
{
    sim::Simulator gateway(simConfig(1, 7));
    std::string error;
    ASSERT_TRUE(gateway.start(&error)) << error;

    const JobRun run = runJob(gateway.config().address, 1, dir.filePath("nightly"), 5);
    gateway.stop();

    EXPECT_TRUE(run.closeOnlyEnabled);
    EXPECT_TRUE(run.boxes.isEmpty()) << run.boxes.join('\n').toStdString();
    EXPECT_EQ(run.comboEntries.size(), 3);
    // While the user chooses, the bar shows the bus scan that found the SKDs, complete.
    EXPECT_EQ(run.barAtChoice, BarState({run.barFull, run.scanText}));
    expectBarOfACompletedJob(run);
    EXPECT_TRUE(run.lines.contains(QString::fromStdString(run.versionLine))) << allLines(run);
    EXPECT_EQ(lastLine(run), run.closedLine) << allLines(run);

    EXPECT_FALSE(QFile::exists(dir.filePath("nightly")));
    const QString content = readFile(dir.filePath("nightly.mrk"));
    EXPECT_TRUE(content.contains("Global.Version=108")) << content.left(200).toStdString();
    EXPECT_TRUE(content.contains("UserManagerConfig.DataLength="));
    EXPECT_TRUE(content.contains("SKD0.MASTER=197"));
    EXPECT_TRUE(content.contains("SKD5.Data="));
    EXPECT_FALSE(content.contains("SKD1.Data="));
    EXPECT_FALSE(content.contains("SKD2.Data="));
}

// Every SKD backed up from one gateway and restored to another: the second ends up the same.
TEST_F(BackupJob, BackupAndRestoreThroughTheDialog)
{
    sim::Simulator source(simConfig(2, 11));
    sim::Simulator target(simConfig(3, 12));
    std::string error;
    ASSERT_TRUE(source.start(&error)) << error;
    ASSERT_TRUE(target.start(&error)) << error;
    ASSERT_FALSE(source.sameState(target));

    const QString file = dir.filePath("all.mrk");
    const JobRun backup = runJob(source.config().address, 1, file, 0);
    EXPECT_TRUE(backup.boxes.isEmpty()) << backup.boxes.join('\n').toStdString();
    const QString content = readFile(file);
    EXPECT_TRUE(content.contains("SKD0.MASTER=192"));
    for (const char* key : {"SKD1.Data=", "SKD2.Data=", "SKD5.Data="})
        EXPECT_TRUE(content.contains(key)) << key;

    const JobRun restore = runJob(target.config().address, 2, file, 0);
    expectBarOfACompletedJob(restore);
    EXPECT_TRUE(restore.closeOnlyEnabled);
    EXPECT_TRUE(restore.boxes.isEmpty()) << restore.boxes.join('\n').toStdString();
    EXPECT_TRUE(restore.comboEntries.isEmpty());  // a restore asks no SKD question
    EXPECT_EQ(lastLine(restore), restore.closedLine) << allLines(restore);
    std::string difference;
    EXPECT_TRUE(source.sameState(target, &difference)) << difference;
    EXPECT_EQ(readFile(file), content);  // a restore leaves the file as it was
}

}  // namespace

namespace {

// A refused password ends the job with lines 153 and 137 and the worker's message box,
// shown by the dialog; a cancelled prompt ends it without a word. Neither touches the file.
TEST_F(BackupJob, RefusedOrCancelledPassword)
{
    sim::Simulator gateway(simConfig(4, 3));
    std::string error;
    ASSERT_TRUE(gateway.start(&error)) << error;

    const QString file = dir.filePath("never.mrk");
    const JobRun refused = runJob(gateway.config().address, 1, file, 0, [](CPasswordDlg& prompt) {
        typeText(prompt.passwordEdit(), "wrong");
        QTest::mouseClick(prompt.okButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(refused.closeOnlyEnabled);
    // A job that did not run to its end leaves the bar empty.
    EXPECT_EQ(refused.barAfter, BarState({0, QString()}));
    EXPECT_EQ(refused.boxes, QStringList({QString::fromStdString(refused.wrongPasswordBox)}));
    ASSERT_GE(refused.lines.size(), 2) << allLines(refused);
    EXPECT_EQ(refused.lines[refused.lines.size() - 2].toStdString(), refused.wrongPasswordLine) << allLines(refused);
    EXPECT_EQ(lastLine(refused), refused.closedLine) << allLines(refused);

    const JobRun cancelled = runJob(gateway.config().address, 1, file, 0, [](CPasswordDlg& prompt) {
        typeText(prompt.passwordEdit(), QString::fromUtf8("päss wort"));
        QTest::keyClick(&prompt, Qt::Key_Escape);
    });
    EXPECT_TRUE(cancelled.closeOnlyEnabled);
    EXPECT_TRUE(cancelled.boxes.isEmpty());
    EXPECT_EQ(lastLine(cancelled), cancelled.versionLine) << allLines(cancelled);
    gateway.stop();

    EXPECT_FALSE(QFile::exists(file));
}

}  // namespace
