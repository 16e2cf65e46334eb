#include "platform/fonts.h"

#include <QFontDatabase>
#include <QStringList>

QFont Fonts::small()
{
    QFont font(SmallFace.toString());
    font.setPointSizeF(SmallPoints);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

// Qt names a family that several foundries make "C059 [urw]" and "C059 [UKWN]";
// to a person, and to QFont, it is C059.
QStringList Fonts::screenFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families()) {
        const qsizetype foundry = family.indexOf(QLatin1String(" ["));
        const QString plain = foundry < 0 ? family : family.left(foundry);
        if (!families.contains(plain))
            families << plain;
    }
    return families;
}

// Qt tries a family itself before its substitutes, so an installed face
// still wins; and nothing has to enumerate the fonts at start-up.
void registerFontSubstitutes()
{
    QFont::insertSubstitutions(
        Fonts::DesignFace.toString(), { QStringLiteral("Z003"), QStringLiteral("URW Chancery L") });
    QFont::insertSubstitutions(
        Fonts::SmallFace.toString(), { QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief") });
}
