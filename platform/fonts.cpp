#include "platform/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

// Both fonts ask for a plain sans-serif where their face, and any face the
// user picks, is missing: the system's own choice for a missing name may be
// decorative (fontconfig counts Comic Sans MS as cursive and picks Z003, a
// calligraphic italic).
QFont font(QStringView face, qreal points, bool italic)
{
    QFont font(face.toString());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(italic);
    return font;
}

} // namespace

QFont Fonts::design()
{
    return font(DesignFace, DesignPoints, true);
}

QFont Fonts::small()
{
    return font(SmallFace, SmallPoints, false);
}

// Qt names a family that several foundries make "C059 [urw]" and "C059 [UKWN]";
// to a person, and to QFont, it is C059.
QString Fonts::plainName(const QString &family)
{
    const qsizetype foundry = family.indexOf(QLatin1String(" ["));
    return foundry < 0 ? family : family.left(foundry);
}

// Qt's generic names stand for whatever face the system picks; they are no
// fonts on the screen.
QStringList Fonts::screenFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families()) {
        const QString plain = plainName(family);
        if (!families.contains(plain) && !GenericFamilies.contains(plain))
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
