#include "settings/accessibility.h"

#include "settings/colorsample.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

// The colour sample's colour in words, as a read-only text: a screen reader
// reads it where it reads a label, and hears it change.
class ColorSampleAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ColorSampleAccessible(ColorSample *sample)
        : QAccessibleWidget(sample, QAccessible::Graphic)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? colorText() : QAccessibleWidget::text(t);
    }

    QString text(int startOffset, int endOffset) const override
    {
        return colorText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(colorText().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint &) const override { return 0; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QString colorText() const { return static_cast<const ColorSample *>(widget())->colorText(); }
};

// An editable combo box named by its accessible name, its text as the value;
// its children are the list and the text field, which has the focus.
class NamedComboBoxAccessible : public QAccessibleWidget
{
public:
    explicit NamedComboBoxAccessible(QComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    { }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? box()->currentText() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.expandable = true;
        state.expanded = box()->view()->isVisible();
        return state;
    }
    int childCount() const override { return 2; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        return index == 1 ? QAccessible::queryAccessibleInterface(box()->lineEdit()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const QObject *object = child ? child->object() : nullptr;
        return object == box()->view() ? 0 : object == box()->lineEdit() ? 1 : -1;
    }
    QAccessibleInterface *focusChild() const override { return child(1); }
    QStringList actionNames() const override { return { showMenuAction() }; }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction())
            box()->showPopup();
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(ColorSample::staticMetaObject.className()))
        return new ColorSampleAccessible(static_cast<ColorSample *>(object));
    auto *box = qobject_cast<QComboBox *>(object);
    if (box && box->isEditable() && box->window()->objectName() == QLatin1String("Form1"))
        return new NamedComboBoxAccessible(box);
    return nullptr;
}

} // namespace

void installSettingsAccessibility()
{
    static const bool installed = (QAccessible::installFactory(accessibleFor), true);
    Q_UNUSED(installed);
}
