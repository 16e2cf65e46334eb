#pragma once

// The program speaks Czech whatever the user's locale, so Qt's own texts
// (the file and colour dialogs, the text boxes' context menus) are Czech too:
// installs Qt's Czech translations when the system has them (Debian:
// qt6-translations-l10n). Without them Qt's texts stay English.
void installQtTranslations();
