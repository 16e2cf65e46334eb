#include "store/keys.h"

#include "platform/datafiles.h"
#include "platform/fonts.h"

namespace {

constexpr QStringView Off = u"0";
constexpr QStringView NotRead; // that reader does not read the key
// Storno's picture when none is stored: the program's old default picture.
constexpr QStringView OldDefaultPicture = u"C:\\Program Files\\Jasanek\\Zdravinky\\Já 8.jpg";

struct Row
{
    const char *name;
    // By Reader: Start, Composer, SettingsLoad, Storno.
    std::array<QStringView, 4> fallback;
};

#define ZDRAVINKY_ROW(name, kind, control, ...) { #name, { __VA_ARGS__ } },
constexpr std::array<Row, KeyCount> Table = { { ZDRAVINKY_SETTINGS(ZDRAVINKY_ROW) } };
#undef ZDRAVINKY_ROW

} // namespace

QString keyName(Key key)
{
    return QLatin1String(Table[keyIndex(key)].name);
}

bool isTextKey(Key key)
{
    return !Table[keyIndex(key)].fallback[int(Reader::Composer)].isNull();
}

QString fallback(Key key, Reader reader)
{
    const QStringView text = Table[keyIndex(key)].fallback[int(reader)];
    Q_ASSERT(!text.isNull());
#ifndef Q_OS_WIN
    // Here the program's own default picture stands where it always was on Windows.
    if (text == OldDefaultPicture)
        return defaultPicturePath();
#endif
    return text.toString();
}
