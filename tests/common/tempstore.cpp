#include "common/tempstore.h"

#include <QFile>

QByteArray TempStore::fileText() const
{
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TempStore::setFileText(const QByteArray &text)
{
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) // so that the store reads it all
        file.write(text);
    store_->reload();
}
