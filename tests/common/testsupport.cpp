#include "common/testsupport.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

void isolateTestRun()
{
    static QTemporaryDir config; // removed when the program ends
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale::c());
}
