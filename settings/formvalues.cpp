#include "settings/formvalues.h"

#include "platform/errortrap.h"
#include "platform/numbers.h"
#include "version.h"

#include <algorithm>

QString FormValues::caption()
{
    return QStringLiteral("Nastavení programu Zdravinky - (Verze: %1.%2.%3)")
        .arg(Version::Major)
        .arg(Version::Minor)
        .arg(Version::Revision);
}

QStringList FormValues::dateFormats()
{
    return { QStringLiteral("d.m.yy"), QStringLiteral("d.mm.yy"), QStringLiteral("d.mm.yyyy"),
        QStringLiteral("d.mmm.yy"), QStringLiteral("d.mmm.yyyy"), QStringLiteral("d.mmmm.yyyy"),
        QStringLiteral("ddd d.mm.yy"), QStringLiteral("ddd d.mmm.yy"), QStringLiteral("ddd d.mmm.yyyy "),
        QStringLiteral("dddd d.mm.yy"), QStringLiteral("dddd d.mmmm.yyyy"), QStringLiteral("Long date"),
        QStringLiteral("Short date") };
}

QStringList FormValues::timeFormats()
{
    return { QStringLiteral("h.m.s"), QStringLiteral("h.mm.ss"), QStringLiteral("h:m:s"), QStringLiteral("h:mm:ss"),
        QStringLiteral("hh.mm.ss"), QStringLiteral("hh:mm:ss") };
}

QStringList FormValues::fontSizes()
{
    QStringList sizes;
    for (int points = 6; points <= 42; points += 2)
        sizes << QString::number(points);
    return sizes;
}

QStringList FormValues::sortedForList(QStringList items)
{
    std::stable_sort(items.begin(), items.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return items;
}

qint16 FormValues::checkValue(const QString &stored)
{
    const qint16 value = toInt16(stored);
    if (value < 0 || value > 2)
        fail("not a check box value");
    return value;
}

QString FormValues::storedLines(QString boxText)
{
    boxText.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    boxText.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return boxText;
}

QString FormValues::boxLines(QString storedText)
{
    return storedText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
