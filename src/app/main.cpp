#include "CBackupApp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // The command line first, so --help and mistakes are answered without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CBackupApp app;
    QString message;
    bool helpOnly = false;
    bool parsed = app.parseArguments(arguments, &message, &helpOnly);
    if (parsed && helpOnly) {
        std::fputs(qPrintable(message), stdout);
        return 0;
    }
    // A mistake is answered here too: without a display QApplication would abort first.
    if (!parsed && !CBackupApp::holdsToolkitOption(arguments))
        return app.run(arguments);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nexo-backup"));
    // Qt's own options (-platform, -style, ...) are known once QApplication has taken them out.
    if (!parsed)
        return app.run(QApplication::arguments());
    return app.start();
}
