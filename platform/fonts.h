#pragma once

#include <QFont>
#include <QStringList>
#include <QStringView>

// The faces the windows are designed with.
namespace Fonts {

inline constexpr QStringView DesignFace = u"Monotype Corsiva"; // the greeting
inline constexpr QStringView SmallFace = u"Comic Sans MS"; // the settings window and the hint
inline constexpr qreal SmallPoints = 8.25;
inline constexpr qreal DesignPoints = 24;

// Monotype Corsiva, 24 points, normal weight, italic.
QFont design();
// Comic Sans MS, 8.25 points, normal weight, upright.
QFont small();

// Qt's generic names, each of which the system maps to a face of its choice.
inline const QString SansSerif = QStringLiteral("Sans Serif");
inline const QStringList GenericFamilies = { QStringLiteral("Monospace"), SansSerif, QStringLiteral("Serif") };

// A family's name without the foundry Qt adds to tell makers apart.
QString plainName(const QString &family);

// The screen's font families, each once, by the name people know it by;
// Qt's generic names are none of them.
QStringList screenFamilies();

} // namespace Fonts

// A Linux desktop lacks both faces. Where a face is missing, its free
// look-alike stands in for it; a face that is installed is used as it is.
void registerFontSubstitutes();
