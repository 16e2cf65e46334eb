// Converts fuzzed texts to numbers the way stored settings are read.
//
// The bytes are tried three ways: as UTF-8, as Latin-1 and as raw UTF-16.
// The C library's strtod, in the C locale, is the reference for the value.

#include "platform/errortrap.h"
#include "platform/numbers.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace {

QString current; // the text under test, for the fault message

[[noreturn]] void fault(const char *what)
{
    std::fprintf(stderr, "numbers: %s for text \"%s\"\n", what, current.toUtf8().constData());
    std::abort();
}

template <typename Convert> auto attempt(Convert convert) -> std::optional<decltype(convert())>
{
    try {
        return convert();
    } catch (const StepFailed &) {
        return std::nullopt;
    }
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigitAt(const QByteArray &bytes, qsizetype i)
{
    return i >= 0 && i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9';
}

// What strtod reads from the text without its surrounding blanks, when it
// reads all of it and the text uses only the characters of a decimal number
// (strtod alone would also take "0x10", "inf" and "nan"). A decimal comma
// reads as the point when it is the only separator and stands between digits.
std::optional<double> reference(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    if (begin == end)
        return std::nullopt;
    QByteArray bytes;
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (!((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.' || c == u',' || c == u'e' || c == u'E'))
            return std::nullopt;
        bytes += char(c);
    }
    if (const qsizetype comma = bytes.indexOf(','); comma >= 0) {
        if (bytes.count(',') > 1 || bytes.contains('.') || !isDigitAt(bytes, comma - 1) || !isDigitAt(bytes, comma + 1))
            return std::nullopt;
        bytes[comma] = '.';
    }
    char *stop = nullptr;
    const double value = std::strtod(bytes.constData(), &stop);
    if (stop != bytes.constData() + bytes.size())
        return std::nullopt;
    return value;
}

template <typename Int> void checkInteger(std::optional<double> number, std::optional<Int> converted)
{
    const bool fits = number && std::nearbyint(*number) >= double(std::numeric_limits<Int>::min())
        && std::nearbyint(*number) <= double(std::numeric_limits<Int>::max());
    if (converted.has_value() != fits)
        fault(fits ? "an integer in range failed" : "an integer out of range or no number converted");
    if (converted && double(*converted) != std::nearbyint(*number))
        fault("an integer is not the number rounded half to even");
}

void check(const QString &text)
{
    current = text;
    const std::optional<double> number = parseNumber(text);
    const std::optional<double> expected = reference(text);

    if (number) {
        if (!std::isfinite(*number))
            fault("parseNumber gave a number that is not finite");
        if (!expected)
            fault("parseNumber took a text that is no decimal number");
        if (*number != *expected)
            fault("parseNumber differs from strtod");
    } else if (expected && std::isfinite(*expected) && *expected != 0.0) {
        // Overflow (infinite) and underflow to zero may fail; nothing else.
        fault("parseNumber refused a decimal number");
    }

    const std::optional<double> asDouble = attempt([&] { return toDouble(text); });
    if (asDouble != number)
        fault("toDouble differs from parseNumber");

    checkInteger<qint16>(number, attempt([&] { return toInt16(text); }));
    checkInteger<qint32>(number, attempt([&] { return toInt32(text); }));

    const std::optional<float> single = attempt([&] { return toSingle(text); });
    const bool singleFits = number && std::fabs(*number) <= double(std::numeric_limits<float>::max());
    if (single.has_value() != singleFits)
        fault(singleFits ? "a number in single range failed" : "a number out of single range converted");
    if (single && (!std::isfinite(*single) || *single != float(*number)))
        fault("toSingle is not the number in single precision");

    for (double flag : { 0.0, 1.0 }) {
        const std::optional<bool> is = attempt([&] { return numberIs(text, flag); });
        if (is.has_value() != number.has_value() || (is && *is != (*number == flag)))
            fault("numberIs disagrees with parseNumber");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *chars = reinterpret_cast<const char *>(data);
    check(QString::fromUtf8(chars, qsizetype(size)));
    check(QString::fromLatin1(chars, qsizetype(size)));
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, size / 2 * 2);
    check(utf16);
    return 0;
}
