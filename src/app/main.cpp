#include "CBackupApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nexo-backup"));
    CBackupApp app;
    return app.run(QApplication::arguments());
}
