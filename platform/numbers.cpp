#include "platform/numbers.h"

#include "platform/errortrap.h"

#include <QString>

#include <cmath>
#include <limits>

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Checks the grammar by hand so that nothing locale-dependent or lenient
// (hex, "inf", "nan", thousands separators) slips through. The decimal
// separator is a point or, as Czechs write it, a comma. A comma needs digits
// on both sides: "1," and ",5" read as pieces of a list as much as numbers.
// Gives the separator's index, or -1 when there is none.
std::optional<qsizetype> decimalNumber(QStringView s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    qsizetype separator = -1;
    qsizetype digits = 0;
    while (i < n && isDigit(s[i]))
        ++i, ++digits;
    if (i < n && (s[i] == u'.' || s[i] == u',')) {
        separator = i++;
        const qsizetype before = digits;
        while (i < n && isDigit(s[i]))
            ++i, ++digits;
        if (s[separator] == u',' && (before == 0 || digits == before))
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < n && (s[i] == u'+' || s[i] == u'-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < n && isDigit(s[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    return separator;
}

template <typename Int> Int toInteger(QStringView text)
{
    const double rounded = std::nearbyint(toDouble(text)); // ties to even
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        fail("integer out of range");
    return Int(rounded);
}

} // namespace

std::optional<double> parseNumber(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    const QStringView s = text.sliced(begin, end - begin);
    const std::optional<qsizetype> separator = decimalNumber(s);
    if (!separator)
        return std::nullopt;
    QString number = s.toString();
    if (*separator >= 0)
        number[*separator] = u'.';
    bool ok = false;
    const double value = number.toDouble(&ok); // C locale, always
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double toDouble(QStringView text)
{
    const auto value = parseNumber(text);
    if (!value)
        fail("not a number");
    return *value;
}

float toSingle(QStringView text)
{
    const double value = toDouble(text);
    if (std::fabs(value) > double(std::numeric_limits<float>::max()))
        fail("out of single range");
    return float(value);
}

qint16 toInt16(QStringView text)
{
    return toInteger<qint16>(text);
}

qint32 toInt32(QStringView text)
{
    return toInteger<qint32>(text);
}

bool numberIs(QStringView text, double value)
{
    return toDouble(text) == value;
}
