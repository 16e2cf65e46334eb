#include "settings/colorsample.h"

#include <QAccessible>

ColorSample::ColorSample(QWidget *parent)
    : QLabel(parent)
{
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAutoFillBackground(true);
}

void ColorSample::setColor(const QColor &color)
{
    const QString before = colorText();
    QPalette sample = palette();
    sample.setColor(QPalette::Window, color);
    setPalette(sample);
    QAccessibleTextUpdateEvent changed(this, 0, before, colorText());
    QAccessible::updateAccessibility(&changed);
}

QColor ColorSample::color() const
{
    return palette().color(QPalette::Window);
}

QString ColorSample::colorText() const
{
    const QColor c = color();
    return QStringLiteral("červená %1, zelená %2, modrá %3").arg(c.red()).arg(c.green()).arg(c.blue());
}
