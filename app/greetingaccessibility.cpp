#include "app/greetingaccessibility.h"

#include "app/zdravinky.h"

#include <QAccessibleWidget>

namespace {

// A plain window is a "filler" to a screen reader, which then says its name
// alone. A notification that comes to the front is read whole, its labels
// included; the label's time changing every second is not read again.
class GreetingAccessible : public QAccessibleWidget
{
public:
    explicit GreetingAccessible(Zdravinky *window)
        : QAccessibleWidget(window, QAccessible::Notification)
    { }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(Zdravinky::staticMetaObject.className()))
        return new GreetingAccessible(static_cast<Zdravinky *>(object));
    return nullptr;
}

} // namespace

void installGreetingAccessibility()
{
    static const bool installed = (QAccessible::installFactory(accessibleFor), true);
    Q_UNUSED(installed);
}
