#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace Twips {

int toPixels(float twips, qreal dpi)
{
    return int(std::lround(double(twips) * dpi / double(PerInch)));
}

float fromPixels(int pixels, qreal dpi)
{
    return float(double(pixels) * double(PerInch) / dpi);
}

qreal dpiOf(const QWidget *widget)
{
    const QScreen *screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : StandardDpi;
}

void place(QWidget *widget, const Rect &rect)
{
    const qreal dpi = dpiOf(widget);
    widget->setGeometry(
        toPixels(rect.left, dpi), toPixels(rect.top, dpi), toPixels(rect.width, dpi), toPixels(rect.height, dpi));
}

void move(QWidget *widget, float left, float top)
{
    const qreal dpi = dpiOf(widget);
    widget->move(toPixels(left, dpi), toPixels(top, dpi));
}

float width(const QWidget *widget)
{
    return fromPixels(widget->width(), dpiOf(widget));
}

float height(const QWidget *widget)
{
    return fromPixels(widget->height(), dpiOf(widget));
}

} // namespace Twips
