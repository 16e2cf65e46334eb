#pragma once

#include <QString>
#include <array>

// The fourteen settings, spelled as they are stored (Pictrure and
// PictrureStrench included): the keys of section "Path" of application
// "Zdravin". Keys are case-sensitive in the INI file, so this is the only
// spelling the program ever uses.
enum class Key {
    PictrureStrench,
    Pictrure,
    Text,
    Size,
    Color,
    Long,
    Date,
    Cas,
    TextV,
    Svatky,
    DateF,
    CasF,
    Text1,
    Text2,
};

inline constexpr int KeyCount = 14;

namespace Store {
inline const QString AppName = QStringLiteral("Zdravin");
inline const QString Section = QStringLiteral("Path");
} // namespace Store

QString keyName(Key key);
inline constexpr int keyIndex(Key key)
{
    return int(key);
}

// The eight text settings that Použít stores and Storno writes back.
inline constexpr std::array<Key, 8> TextKeys
    = { Key::Date, Key::Cas, Key::TextV, Key::Svatky, Key::DateF, Key::CasF, Key::Text1, Key::Text2 };

// Each reader passes its own fallback for an absent key, and they differ
// between readers of the same key; all of them are here.
namespace Fallback {

inline const QString DefaultFont = QStringLiteral("Monotype Corsiva");
inline const QString DefaultColor = QStringLiteral("255"); // red
inline const QString Off = QStringLiteral("0");
inline const QString ShortDate = QStringLiteral("Short date");
inline const QString TimePattern = QStringLiteral("h.mm.ss");
inline const QString Text1 = QStringLiteral("Zdravinky, dnes je: ");
inline const QString Text2 = QStringLiteral("Svátek má: ");

// The greeting window when it starts.
namespace Start {
inline const QString PictrureStrench = Off;
inline const QString Pictrure;
inline const QString Text = DefaultFont;
inline const QString Size = QStringLiteral("12");
inline const QString Color = DefaultColor;
inline const QString Long = QStringLiteral("11");
} // namespace Start

// The greeting text, every time it is composed or its time refreshed.
namespace Composer {
inline const QString Flag = Off; // Date, Cas, TextV, Svatky
inline const QString DateF = ShortDate;
inline const QString CasF = TimePattern;
inline const QString Text1 = Fallback::Text1;
inline const QString Text2 = Fallback::Text2;
} // namespace Composer

// The settings window when it loads.
namespace SettingsLoad {
inline const QString PictrureStrench = Off;
inline const QString Pictrure;
inline const QString Text = DefaultFont;
inline const QString Size = QStringLiteral("24");
inline const QString Long = QStringLiteral("11");
inline const QString Color = DefaultColor;
inline const QString Flag = Off;
inline const QString DateF = ShortDate;
inline const QString CasF = TimePattern;
inline const QString Text1 = Fallback::Text1;
inline const QString Text2 = Fallback::Text2;
} // namespace SettingsLoad

// Storno, when it gives the greeting window back its stored look.
namespace Storno {
// On Windows the program's old default picture; elsewhere the default
// background picture installed with this program.
QString pictrure();
inline const QString Text = DefaultFont;
inline const QString Size = QStringLiteral("24");
inline const QString Color = DefaultColor;
} // namespace Storno

} // namespace Fallback
