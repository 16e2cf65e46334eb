#pragma once

#include <QString>
#include <QStringView>
#include <array>

// What a setting holds, which decides how the settings window shows its
// stored text and stores what its control holds.
// clang-format off
namespace Kind {
struct Flag {};        // a check box: 0 unchecked, 1 checked, 2 greyed
struct Number {};
struct Text {};        // as typed: a face name, a pattern, the person's own text
struct Colour {};      // 0x00BBGGRR, or a system colour
struct PicturePath {};
} // namespace Kind
// clang-format on

// The fourteen settings of section "Path" of application "Zdravin", each
// declared once: its stored name, what it holds, the settings window's
// control that shows it, and what each reader gets where it is absent
// (NotRead: that reader never reads it). The order is the order in which
// OK writes them, the settings window loads them and Výchozí removes them.
// Keys are case-sensitive in the INI file: Pictrure and PictrureStrench are
// spelled as they always were. The readers:
//   Start         the greeting window when it loads
//   Composer      the greeting text, whenever it is composed or its time refreshed
//   SettingsLoad  the settings window when it loads
//   Storno        Storno, giving the greeting window back its stored look
// The eight settings the greeting text is composed of are the ones the
// Composer reads; Použít stores them and Storno writes them back.
// clang-format off
#define ZDRAVINKY_SETTINGS(X) \
    /* name            kind         control Start              Composer                 SettingsLoad             Storno */ \
    X(PictrureStrench, Flag,        Check5, Off,               NotRead,                 Off,                     NotRead) \
    X(Pictrure,        PicturePath, Image1, u"",               NotRead,                 u"",                     OldDefaultPicture) \
    X(Text,            Text,        Combo1, Fonts::DesignFace, NotRead,                 Fonts::DesignFace,       Fonts::DesignFace) \
    X(Size,            Number,      Combo2, u"12",             NotRead,                 u"24",                   u"24") \
    X(Long,            Number,      Bar1,   u"11",             NotRead,                 u"11",                   NotRead) \
    X(Color,           Colour,      Label6, u"255",            NotRead,                 u"255",                  u"255") \
    X(Date,            Flag,        Check1, NotRead,           Off,                     Off,                     NotRead) \
    X(Cas,             Flag,        Check2, NotRead,           Off,                     Off,                     NotRead) \
    X(TextV,           Flag,        Check3, NotRead,           Off,                     Off,                     NotRead) \
    X(Svatky,          Flag,        Check4, NotRead,           Off,                     Off,                     NotRead) \
    X(DateF,           Text,        Combo3, NotRead,           u"Short date",           u"Short date",           NotRead) \
    X(CasF,            Text,        Combo4, NotRead,           u"h.mm.ss",              u"h.mm.ss",              NotRead) \
    X(Text1,           Text,        Text1,  NotRead,           u"Zdravinky, dnes je: ", u"Zdravinky, dnes je: ", NotRead) \
    X(Text2,           Text,        Text2,  NotRead,           u"Svátek má: ",          u"Svátek má: ",          NotRead)
// clang-format on

#define ZDRAVINKY_KEY(name, ...) name,
enum class Key { ZDRAVINKY_SETTINGS(ZDRAVINKY_KEY) };
#undef ZDRAVINKY_KEY

#define ZDRAVINKY_KEY(name, ...) Key::name,
inline constexpr std::array AllKeys = { ZDRAVINKY_SETTINGS(ZDRAVINKY_KEY) };
#undef ZDRAVINKY_KEY
inline constexpr int KeyCount = int(AllKeys.size());

namespace Store {
inline const QString AppName = QStringLiteral("Zdravin");
inline const QString Section = QStringLiteral("Path");
} // namespace Store

// Every reader passes its own fallback for an absent key (see above).
enum class Reader { Start, Composer, SettingsLoad, Storno };

QString keyName(Key key);
inline constexpr int keyIndex(Key key)
{
    return int(key);
}
// One of the eight text settings, which Použít stores and Storno writes back.
bool isTextKey(Key key);
// What the reader gets for the key when it is absent.
QString fallback(Key key, Reader reader);

template <typename Function> void forEachTextKey(Function function)
{
    for (Key key : AllKeys) {
        if (isTextKey(key))
            function(key);
    }
}
