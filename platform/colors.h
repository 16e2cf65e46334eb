#pragma once

#include <QColor>
#include <QtGlobal>

class QPalette;

// Colours are stored as 0x00BBGGRR (255 is red). A set top bit marks a system
// colour by index (0x80000005 is the window background); it is taken from the
// palette. Any other value beyond 0x00FFFFFF fails the step.
QColor colorFromStored(qint32 value, const QPalette &palette);
qint32 storedFromColor(const QColor &color);

inline constexpr qint32 SystemColorFlag = qint32(0x80000000u);
inline constexpr qint32 WindowBackgroundColor = SystemColorFlag | 5;
