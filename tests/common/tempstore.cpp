#include "common/tempstore.h"

#include <QFile>

TempStore::TempStore()
    : store_(std::make_unique<SettingsStore>(dir_.filePath(QStringLiteral("Zdravin.conf"))))
{ }

TempStore::TempStore(const QByteArray &fileText)
{
    setFileText(fileText);
    store_ = std::make_unique<SettingsStore>(filePath());
}

QString TempStore::filePath() const
{
    return dir_.filePath(QStringLiteral("Zdravin.conf"));
}

QByteArray TempStore::fileText() const
{
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TempStore::setFileText(const QByteArray &text)
{
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
    file.close();
    if (store_)
        store_->reload();
}
