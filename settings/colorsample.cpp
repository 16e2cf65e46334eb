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
    QPalette sample = palette();
    sample.setColor(QPalette::Window, color);
    setPalette(sample);
    QAccessibleValueChangeEvent changed(this, color);
    QAccessible::updateAccessibility(&changed);
}

QColor ColorSample::color() const
{
    return palette().color(QPalette::Window);
}
