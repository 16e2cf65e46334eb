#pragma once

#include <QProxyStyle>

// Two touches the platform style lacks for the settings window's small
// controls: a combo box as narrow as the size box (495 twips) gets a compact
// drop-down button and thin margins, so that "24" still reads as 24; and a
// scroll bar shows a focus frame while it has the keyboard focus.
class Form1Style : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
        const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
        const QWidget *widget) const override;
};
