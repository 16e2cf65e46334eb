#include "platform/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

const QString DefaultPictureName = QStringLiteral("pozadi.jpg");
const QString HelpPageName = QStringLiteral("napoveda.html");

QString dataFile(const QString &name)
{
    const QString installed = QStringLiteral(ZDRAVINKY_DATA_DIR "/") + name;
    if (QFileInfo::exists(installed) || !QCoreApplication::instance())
        return installed;
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/share/") + name;
    return QFileInfo::exists(beside) ? beside : installed;
}

} // namespace

QString defaultPicturePath()
{
    return dataFile(DefaultPictureName);
}

QString helpPagePath()
{
    return dataFile(HelpPageName);
}
