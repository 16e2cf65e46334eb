#pragma once

#include "store/settingsstore.h"

#include <QTemporaryDir>

// A settings store in a folder of its own, removed with it.
class TempStore
{
public:
    TempStore()
        : store_(std::make_unique<SettingsStore>(filePath()))
    { }
    // Prepares the file as a person or a tool would write it, then reads it.
    explicit TempStore(const QByteArray &fileText)
        : TempStore()
    {
        setFileText(fileText);
    }

    SettingsStore &store() { return *store_; }
    QString filePath() const { return dir_.filePath(QStringLiteral("Zdravin.conf")); }
    QByteArray fileText() const;
    void setFileText(const QByteArray &text);

private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
};
