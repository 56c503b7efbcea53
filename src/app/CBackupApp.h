#pragma once

#include <QString>
#include <QStringList>

// The application: reads the command line, shows the main dialog modally and ends with it.
class CBackupApp
{
public:
    CBackupApp() = default;
    virtual ~CBackupApp() = default;

    // Runs the program for the given arguments (the program name first) inside a running
    // QApplication. Answers the exit status: 0 after the dialog was closed, 1 when no
    // language file was found (the dialog never shows), 2 for a bad command line.
    int run(const QStringList& arguments);

    // The steps of run(). parseArguments needs no QApplication, so --help and a bad command
    // line are answered without a display; start() sets the time scale and shows the dialog.
    bool parseArguments(const QStringList& arguments, QString* message, bool* helpOnly);
    // True when an argument may be one of the toolkit's own options (-platform, --style=...),
    // which only QApplication can take out of the command line.
    static bool holdsToolkitOption(const QStringList& arguments);
    int start();
    int InitInstance();

    double timeScaleOption() const { return m_timeScale; }
    const QString& screenshotDir() const { return m_screenshotDir; }

private:
    int renderScreenshots();

    double m_timeScale = 1.0;
    QString m_screenshotDir;
};
