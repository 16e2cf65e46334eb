#include "platform/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void registerFontSubstitutes()
{
    struct Substitute
    {
        const char *face;
        QStringList lookAlikes;
    };
    const Substitute substitutes[] = {
        {"Monotype Corsiva", {QStringLiteral("Z003"), QStringLiteral("URW Chancery L")}},
        {"Comic Sans MS", {QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief")}},
    };
    const QStringList installed = QFontDatabase::families();
    for (const Substitute &s : substitutes) {
        const QString face = QLatin1String(s.face);
        if (!installed.contains(face, Qt::CaseInsensitive))
            QFont::insertSubstitutions(face, s.lookAlikes);
    }
}
