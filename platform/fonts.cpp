#include "platform/fonts.h"

#include <QFont>
#include <QStringList>

// Qt tries a family itself before its substitutes, so an installed face
// still wins; and nothing has to enumerate the fonts at start-up.
void registerFontSubstitutes()
{
    QFont::insertSubstitutions(
        QStringLiteral("Monotype Corsiva"), { QStringLiteral("Z003"), QStringLiteral("URW Chancery L") });
    QFont::insertSubstitutions(
        QStringLiteral("Comic Sans MS"), { QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief") });
}
