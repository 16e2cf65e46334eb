#include "platform/webpage.h"

#include "platform/datafiles.h"
#include "platform/errortrap.h"

#include <QDesktopServices>

#ifdef Q_OS_WIN
#include <QProcess>
#include <windows.h>
#endif

void openWebPage(const QUrl &url)
{
#ifdef Q_OS_WIN
    // explorer.exe /n, <address>, maximised and with the focus.
    QProcess explorer;
    explorer.setProgram(QStringLiteral("explorer.exe"));
    explorer.setNativeArguments(QStringLiteral("/n, ") + url.toString());
    explorer.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWMAXIMIZED;
    });
    qint64 pid = 0;
    if (!explorer.startDetached(&pid))
        fail("cannot start the web page");
    AllowSetForegroundWindow(DWORD(pid));
#else
    if (!QDesktopServices::openUrl(url))
        fail("cannot start the web page");
#endif
}

QUrl helpPageUrl()
{
    const QString configured = QStringLiteral(ZDRAVINKY_HELP_URL);
    return configured.isEmpty() ? QUrl::fromLocalFile(helpPagePath()) : QUrl(configured);
}
