#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the settings window's controls offer, show and store, as plain values.
namespace FormValues {

// The caption the window takes when it loads, with the program's version.
QString caption();

// The items of the date-format and time-format boxes, in list order.
QStringList dateFormats();
QStringList timeFormats();
// Point sizes 6 to 42, even only, in numeric order.
QStringList fontSizes();
// A sorted list box orders its items without regard to case.
QStringList sortedForList(QStringList items);

// The picture dialog's file types. Its pattern list was always
// "*.jpg;bmp;gif"; the dialog reads the bare words as extensions.
inline const QString PictureFilter
    = QStringLiteral("Obrázky (*.jpg, bmp, gif)|*.jpg;bmp;gif| Všechny soubory (*.*)|*.*");

// A check box's value: 0 unchecked, 1 checked, 2 greyed. A stored value
// beyond these fails the step.
qint16 checkValue(const QString &stored);

// Stored texts break their lines with CR LF, a text box with LF.
QString storedLines(QString boxText);
QString boxLines(QString storedText);

} // namespace FormValues
