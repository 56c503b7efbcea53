#pragma once

#include "CBackupDlg.h"
#include "CPasswordDlg.h"
#include "CSKDChooseDlg.h"
#include "ModalRunner.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace apptest {

// Runs the dialog's own event loop and performs the actions once it is up, like a user.
inline int execWith(QDialog& dialog, std::function<void()> actions)
{
    QTimer::singleShot(0, &dialog, std::move(actions));
    return dialog.exec();
}

// Answers every modal dialog the program opens; a test fills in the answers it expects.
// Message boxes are recorded and closed with OK.
class ModalScript
{
public:
    std::function<int(QFileDialog&)> file;
    std::function<int(CPasswordDlg&)> password;
    std::function<int(CSKDChooseDlg&)> choice;
    std::function<int(CBackupDlg&)> mainDialog;
    QStringList boxes;

    ModalScript()
    {
        setModalHook([this](QDialog& dialog) -> int {
            if (auto* d = qobject_cast<QFileDialog*>(&dialog))
                return answer(file, *d, "file dialog");
            if (auto* d = qobject_cast<CPasswordDlg*>(&dialog))
                return answer(password, *d, "password prompt");
            if (auto* d = qobject_cast<CSKDChooseDlg*>(&dialog))
                return answer(choice, *d, "SKD choice");
            if (auto* d = qobject_cast<CBackupDlg*>(&dialog))
                return answer(mainDialog, *d, "main dialog");
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                boxes << box->text();
                return QMessageBox::Ok;
            }
            ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
            return QDialog::Rejected;
        });
    }
    ~ModalScript() { setModalHook({}); }

private:
    template <typename D>
    static int answer(const std::function<int(D&)>& fn, D& dialog, const char* what)
    {
        if (!fn) {
            ADD_FAILURE() << "no answer for the " << what;
            return QDialog::Rejected;
        }
        return fn(dialog);
    }
};

// Types text into a widget key by key; characters outside ASCII arrive as text-only keys.
inline void typeText(QWidget* widget, const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(widget, ch.toLatin1());
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &release);
        }
    }
}

// Runs the event loop until pred holds or ms have passed; answers pred.
inline bool waitFor(const std::function<bool()>& pred, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred() && timer.elapsed() < ms)
        QTest::qWait(10);
    return pred();
}

}  // namespace apptest
