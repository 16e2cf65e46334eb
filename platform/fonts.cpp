#include "platform/fonts.h"

#include <QStringList>

QFont Fonts::small()
{
    QFont font(SmallFace.toString());
    font.setPointSizeF(SmallPoints);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
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
