#pragma once

#include <QImage>
#include <QString>

// Loads the picture a setting names. The empty path is the empty picture; a
// missing, unreadable, truncated or unknown file fails the step, and so does
// one beyond Qt's image allocation limit (a decompression bomb).
QImage loadPicture(const QString &path);
