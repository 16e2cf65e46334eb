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
    Key key;
    QStringView name;
    bool text;
    // By Reader: Start, Composer, SettingsLoad, Storno.
    std::array<QStringView, 4> fallback;
};

// clang-format off
constexpr std::array<Row, KeyCount> Table = { {
    // key                  name                text   Start              Composer                 SettingsLoad             Storno
    { Key::PictrureStrench, u"PictrureStrench", false, { Off,               NotRead,                 Off,                     NotRead } },
    { Key::Pictrure,        u"Pictrure",        false, { u"",               NotRead,                 u"",                     OldDefaultPicture } },
    { Key::Text,            u"Text",            false, { Fonts::DesignFace, NotRead,                 Fonts::DesignFace,       Fonts::DesignFace } },
    { Key::Size,            u"Size",            false, { u"12",             NotRead,                 u"24",                   u"24" } },
    { Key::Long,            u"Long",            false, { u"11",             NotRead,                 u"11",                   NotRead } },
    { Key::Color,           u"Color",           false, { u"255",            NotRead,                 u"255",                  u"255" } },
    { Key::Date,            u"Date",            true,  { NotRead,           Off,                     Off,                     NotRead } },
    { Key::Cas,             u"Cas",             true,  { NotRead,           Off,                     Off,                     NotRead } },
    { Key::TextV,           u"TextV",           true,  { NotRead,           Off,                     Off,                     NotRead } },
    { Key::Svatky,          u"Svatky",          true,  { NotRead,           Off,                     Off,                     NotRead } },
    { Key::DateF,           u"DateF",           true,  { NotRead,           u"Short date",           u"Short date",           NotRead } },
    { Key::CasF,            u"CasF",            true,  { NotRead,           u"h.mm.ss",              u"h.mm.ss",              NotRead } },
    { Key::Text1,           u"Text1",           true,  { NotRead,           u"Zdravinky, dnes je: ", u"Zdravinky, dnes je: ", NotRead } },
    { Key::Text2,           u"Text2",           true,  { NotRead,           u"Svátek má: ",          u"Svátek má: ",          NotRead } },
} };
// clang-format on

constexpr bool inKeyOrder()
{
    for (int i = 0; i < KeyCount; ++i) {
        if (keyIndex(Table[i].key) != i)
            return false;
    }
    return true;
}
static_assert(inKeyOrder(), "one row per key, in key order");

} // namespace

QString keyName(Key key)
{
    return Table[keyIndex(key)].name.toString();
}

bool isTextKey(Key key)
{
    return Table[keyIndex(key)].text;
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
