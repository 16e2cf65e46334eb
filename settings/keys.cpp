#include "settings/keys.h"

#include "platform/datafiles.h"

QString keyName(Key key)
{
    static const std::array<QString, KeyCount> names = {
        QStringLiteral("PictrureStrench"),
        QStringLiteral("Pictrure"),
        QStringLiteral("Text"),
        QStringLiteral("Size"),
        QStringLiteral("Color"),
        QStringLiteral("Long"),
        QStringLiteral("Date"),
        QStringLiteral("Cas"),
        QStringLiteral("TextV"),
        QStringLiteral("Svatky"),
        QStringLiteral("DateF"),
        QStringLiteral("CasF"),
        QStringLiteral("Text1"),
        QStringLiteral("Text2"),
    };
    return names[keyIndex(key)];
}

QString Fallback::Storno::pictrure()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Program Files\\Jasanek\\Zdravinky\\Já 8.jpg");
#else
    return defaultPicturePath();
#endif
}
