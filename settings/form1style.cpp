#include "settings/form1style.h"

#include <QStyleOption>

namespace {

constexpr int ComboFrame = 1; // px

// As wide as two thirds of a line of the box's text.
int arrowWidth(const QStyleOption *option)
{
    return option->fontMetrics.height() * 2 / 3;
}

} // namespace

QRect Form1Style::subControlRect(
    ComplexControl control, const QStyleOptionComplex *option, SubControl subControl, const QWidget *widget) const
{
    if (control == CC_ComboBox && (subControl == SC_ComboBoxArrow || subControl == SC_ComboBoxEditField)) {
        const QRect box = option->rect;
        const int arrow = arrowWidth(option);
        const QRect rect = subControl == SC_ComboBoxArrow
            ? QRect(box.right() - ComboFrame - arrow + 1, box.top(), arrow + ComboFrame, box.height())
            : box.adjusted(ComboFrame, ComboFrame, -ComboFrame - arrow, -ComboFrame);
        return visualRect(option->direction, box, rect);
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

void Form1Style::drawComplexControl(
    ComplexControl control, const QStyleOptionComplex *option, QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_ScrollBar && option->state & State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(*option);
        focus.backgroundColor = option->palette.window().color();
        focus.state |= State_KeyboardFocusChange; // some styles draw the frame only after a Tab
        drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
    }
}
