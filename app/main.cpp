#include "app/zdravinky.h"
#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/sessioninstance.h"
#include "platform/translations.h"
#include "store/settingsstore.h"
#include "version.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

const char HelpText[] = "Použití: zdravinky [--help | --version]\n"
                        "Ukáže pozdrav s dnešním datem, časem a svátkem; pravé tlačítko myši nebo klávesa\n"
                        "Menu na pozdravu otevře nabídku s nastavením. Esc pozdrav zavře.\n"
                        "  --help      vypíše tuto nápovědu\n"
                        "  --version   vypíše verzi programu\n";
const char NoDisplay[]
    = "zdravinky: nelze se připojit k žádnému displeji (X11 ani Wayland), pozdrav se nemá kde ukázat\n";

// Qt ends a program that finds no display with abort() and a core dump, after
// a few lines of its own. While the application starts, its messages are held
// back: without a display one clear line replaces them, with one they follow.
QtMessageHandler qtMessages = nullptr;
QList<std::pair<QtMsgType, QString>> *heldMessages = nullptr;

void holdStartMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return heldMessages->append({ type, message });
    std::fputs(NoDisplay, stderr);
    std::_Exit(EXIT_FAILURE);
}

void releaseStartMessages()
{
    qInstallMessageHandler(qtMessages);
    const auto held = std::exchange(heldMessages, nullptr);
    for (const auto &[type, message] : *held)
        qtMessages(type, QMessageLogContext(), message);
    delete held;
}

// The only arguments: the answer is printed and the program ends. Any other
// argument is left to Qt, as before.
bool answeredArgument(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return std::fputs(HelpText, stdout), true;
        if (std::strcmp(argv[i], "--version") == 0)
            return std::printf("zdravinky %d.%d.%d\n", Version::Major, Version::Minor, Version::Revision), true;
    }
    return false;
}

// A greeting belongs to the login that started it: a session that is restored
// later never starts it again on top of the autostart entry.
void neverRestart(QSessionManager &manager)
{
    manager.setRestartHint(QSessionManager::RestartNever);
}

} // namespace

namespace Module1 {

// Shows the greeting window, whose load handler waits out the display time;
// the program then lives exactly as long as that window.
void Main(Zdravinky &greeting)
{
    greeting.loadAndShow();
}

// Another start in the same session: the greeting it would show is here, so this one comes to the front.
void bringToFront(Zdravinky &greeting)
{
    QWidget *front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : &greeting;
    front->raise();
    front->activateWindow();
}

} // namespace Module1

int main(int argc, char *argv[])
{
    if (answeredArgument(argc, argv))
        return EXIT_SUCCESS;
    heldMessages = new QList<std::pair<QtMsgType, QString>>;
    qtMessages = qInstallMessageHandler(holdStartMessages);
    QApplication app(argc, argv);
    releaseStartMessages();
    QApplication::setApplicationName(QStringLiteral("Zdravinky"));
    QApplication::setQuitOnLastWindowClosed(false); // only unloading the greeting window ends the program
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &neverRestart);
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &neverRestart);

    SessionInstance session;
    if (session.handedOver())
        return EXIT_SUCCESS;
    registerFontSubstitutes();
    installQtTranslations();

    Zdravinky greeting(SettingsStore::user(), Clock::system());
    QObject::connect(&greeting, &Zdravinky::unloaded, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(&session, &SessionInstance::anotherStart, &greeting, [&] { Module1::bringToFront(greeting); });
    Module1::Main(greeting);
    if (greeting.isUnloaded())
        return 0;
    return QApplication::exec();
}
