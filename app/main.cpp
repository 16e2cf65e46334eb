#include "app/zdravinky.h"
#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/translations.h"
#include "settings/settingsstore.h"

#include <QApplication>

namespace Module1 {

// Shows the greeting window, whose load handler waits out the display time;
// the program then lives exactly as long as that window.
void Main(Zdravinky &greeting)
{
    greeting.Show();
}

} // namespace Module1

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zdravinky"));
    QApplication::setQuitOnLastWindowClosed(false); // only unloading the greeting window ends the program
    registerFontSubstitutes();
    installQtTranslations();

    Zdravinky greeting(SettingsStore::user(), Clock::system());
    QObject::connect(&greeting, &Zdravinky::unloaded, &app, [] { QCoreApplication::exit(0); });
    Module1::Main(greeting);
    if (greeting.isUnloaded())
        return 0;
    return QApplication::exec();
}
