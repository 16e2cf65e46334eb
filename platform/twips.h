#pragma once

#include <QtGlobal>

class QWidget;

// Windows are laid out in twips (1440 to the inch, single precision). This is
// the one place where twips become logical pixels and back, at the screen's
// logical DPI (96 DPI: 15 twips a pixel). The device pixel ratio is left to
// Qt: logical pixels are already independent of it.
namespace Twips {

inline constexpr float PerInch = 1440.0f;
inline constexpr qreal StandardDpi = 96.0;

int toPixels(float twips, qreal dpi = StandardDpi);
float fromPixels(int pixels, qreal dpi = StandardDpi);

// Logical DPI of the screen the widget is on (the primary screen before it is shown).
qreal dpiOf(const QWidget *widget);

struct Rect
{
    float left = 0, top = 0, width = 0, height = 0;
};

void place(QWidget *widget, const Rect &rect);
void move(QWidget *widget, float left, float top);
float width(const QWidget *widget);
float height(const QWidget *widget);

} // namespace Twips
