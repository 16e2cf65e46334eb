#pragma once

#include <QFont>
#include <QStringView>

// The faces the windows are designed with.
namespace Fonts {

inline constexpr QStringView DesignFace = u"Monotype Corsiva"; // the greeting
inline constexpr QStringView SmallFace = u"Comic Sans MS"; // the settings window and the hint
inline constexpr qreal SmallPoints = 8.25;

// Comic Sans MS, 8.25 points, normal weight, upright.
QFont small();

// The screen's font families, each once, by the name people know it by.
QStringList screenFamilies();

} // namespace Fonts

// A Linux desktop lacks both faces. Where a face is missing, its free
// look-alike stands in for it; a face that is installed is used as it is.
void registerFontSubstitutes();
