#include "platform/colors.h"

#include "platform/errortrap.h"

#include <QPalette>
#include <array>
#include <optional>

namespace {

// The Windows system colour indexes 0 to 24 and their nearest palette roles.
std::optional<QPalette::ColorRole> roleOfSystemColor(quint32 index)
{
    using R = QPalette::ColorRole;
    static constexpr std::array<R, 25> roles = {
        R::Button, // 0 scroll bar
        R::Window, // 1 desktop
        R::Highlight, // 2 active caption
        R::Mid, // 3 inactive caption
        R::Window, // 4 menu
        R::Base, // 5 window background
        R::Shadow, // 6 window frame
        R::WindowText, // 7 menu text
        R::Text, // 8 window text
        R::HighlightedText, // 9 caption text
        R::Window, // 10 active border
        R::Window, // 11 inactive border
        R::Dark, // 12 application workspace
        R::Highlight, // 13 highlight
        R::HighlightedText, // 14 highlighted text
        R::Button, // 15 button face
        R::Dark, // 16 button shadow
        R::PlaceholderText, // 17 grey text
        R::ButtonText, // 18 button text
        R::WindowText, // 19 inactive caption text
        R::Light, // 20 button highlight
        R::Shadow, // 21 3D dark shadow
        R::Midlight, // 22 3D light
        R::ToolTipText, // 23 tooltip text
        R::ToolTipBase, // 24 tooltip background
    };
    if (index >= roles.size())
        return std::nullopt;
    return roles[index];
}

} // namespace

QColor colorFromStored(qint32 value, const QPalette &palette)
{
    const quint32 bits = quint32(value);
    if (bits & quint32(SystemColorFlag)) {
        const auto role = roleOfSystemColor(bits & 0x00FFFFFFu);
        if (!role)
            fail("unknown system colour");
        return palette.color(QPalette::Active, *role);
    }
    if (bits > 0x00FFFFFFu)
        fail("not a colour");
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

qint32 storedFromColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return qint32(quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16);
}
