#include "platform/sessioninstance.h"

#include "platform/errortrap.h"
#include "platform/filelock.h"

#include <QDir>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <optional>

namespace {

// A greeting that does not answer within this time is stuck or ending: this
// start shows its own rather than none. Milliseconds.
constexpr int AnswerMs = 3000;
constexpr char Answer = '1';

// The display the greeting shows on: an X display (":0" and ":0.0" are one),
// or a Wayland compositor's socket.
QString displayName()
{
    const QString platform = QGuiApplication::platformName();
    QString display = qEnvironmentVariable(platform == QLatin1String("wayland") ? "WAYLAND_DISPLAY" : "DISPLAY");
    display.remove(QRegularExpression(QStringLiteral("\\.\\d+$")));
    return platform + QLatin1Char('-') + display;
}

// The socket: the display's name in the user's runtime folder.
QString socketName()
{
    QString display = displayName();
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("zdravinky-") + display);
}

} // namespace

// Under a lock, so that of two starts at the same moment one listens and the
// other finds it.
SessionInstance::SessionInstance()
{
    const QString name = socketName();
    // Waited for no longer than an answer; whatever is at the lock path
    // makes no start wait longer, and one that cannot lock at all goes on.
    std::optional<FileLock> lock;
    silently([&] { lock.emplace(name + QLatin1String(".lock"), AnswerMs); });

    QLocalSocket open;
    open.connectToServer(name);
    if (open.waitForConnected(AnswerMs) && open.waitForReadyRead(AnswerMs)) {
        handedOver_ = true;
        return;
    }
    // No one listens there: a socket left by a greeting that was killed goes.
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(name);
    connect(&server_, &QLocalServer::newConnection, this, &SessionInstance::answer);
}

void SessionInstance::answer()
{
    while (QLocalSocket *later = server_.nextPendingConnection()) {
        connect(later, &QLocalSocket::disconnected, later, &QObject::deleteLater);
        Q_EMIT anotherStart();
        later->write(&Answer, 1);
        later->disconnectFromServer();
    }
}
