#include "common/testsupport.h"

#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

void isolateTestRun()
{
    static QTemporaryDir config; // removed when the program ends
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0); // unless the caller chose a platform
    QLocale::setDefault(QLocale::c());
}

int largestDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    const QImage one = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage other = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int shift : { 0, 8, 16, 24 })
                most = std::max(
                    most, std::abs(int(one.pixel(x, y) >> shift & 255) - int(other.pixel(x, y) >> shift & 255)));
    return most;
}
