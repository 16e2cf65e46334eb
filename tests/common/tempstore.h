#pragma once

#include "settings/settingsstore.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

// A settings store in a folder of its own, removed with it.
class TempStore
{
public:
    TempStore();
    // Prepares the file as a person or a tool would write it, then reads it.
    explicit TempStore(const QByteArray &fileText);

    SettingsStore &store() { return *store_; }
    QString filePath() const;
    QByteArray fileText() const;
    void setFileText(const QByteArray &text);

private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
};
