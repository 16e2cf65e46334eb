#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

// Settings are stored as text; these read them back as numbers. A number is
// decimal with optional surrounding spaces, sign, fraction and exponent
// (" 12 ", "-2.5", "1e2"); the fraction may follow a decimal comma instead of
// the point, with digits on both sides ("12,5", "1,5e2"). Anything else, the
// empty text included, is a conversion failure. The throwing forms fail a
// handler step.

std::optional<double> parseNumber(QStringView text);

double toDouble(QStringView text);
float toSingle(QStringView text);
// Rounded to nearest, a half to the even neighbour; out of range fails.
qint16 toInt16(QStringView text);
qint32 toInt32(QStringView text);

// A flag is on when its text is the number 1 and off when it is 0; any other
// number is neither, and a text that is no number fails.
bool numberIs(QStringView text, double value);
