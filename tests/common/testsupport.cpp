#include "common/testsupport.h"

#include <QLocale>
#include <QTemporaryDir>

void isolateTestRun()
{
    static QTemporaryDir config; // removed when the program ends
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0); // unless the caller chose a platform
    QLocale::setDefault(QLocale::c());
}
