#pragma once

#include <QString>
#include <QStringView>
#include <array>

// The fourteen settings of section "Path" of application "Zdravin". Keys are
// case-sensitive in the INI file, so the table in keys.cpp holds the only
// spelling the program uses (Pictrure and PictrureStrench included). The
// order is the order in which OK writes them, the settings window loads
// them and Výchozí removes them.
enum class Key {
    PictrureStrench,
    Pictrure,
    Text,
    Size,
    Long,
    Color,
    Date,
    Cas,
    TextV,
    Svatky,
    DateF,
    CasF,
    Text1,
    Text2,
};

inline constexpr int KeyCount = int(Key::Text2) + 1;
inline constexpr std::array<Key, KeyCount> AllKeys = [] {
    std::array<Key, KeyCount> keys {};
    for (int i = 0; i < KeyCount; ++i)
        keys[i] = Key(i);
    return keys;
}();

namespace Store {
inline const QString AppName = QStringLiteral("Zdravin");
inline const QString Section = QStringLiteral("Path");
} // namespace Store

// Every reader passes its own fallback for an absent key, and the fallbacks
// of one key differ between readers.
enum class Reader {
    Start, // the greeting window when it loads
    Composer, // the greeting text, whenever it is composed or its time refreshed
    SettingsLoad, // the settings window when it loads
    Storno, // Storno, giving the greeting window back its stored look
};

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
