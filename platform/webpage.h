#pragma once

#include <QUrl>

// Opens a page in the user's web browser, maximised and in front where the
// platform lets a program ask for that. Fails the step when no browser
// could be started.
void openWebPage(const QUrl &url);

// The help page: the build's ZDRAVINKY_HELP_URL, or the Czech page installed
// with the program when that is empty.
QUrl helpPageUrl();
