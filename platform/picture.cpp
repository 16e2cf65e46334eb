#include "platform/picture.h"

#include "platform/errortrap.h"

#include <QImageReader>

QImage loadPicture(const QString &path)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        fail("picture cannot be loaded");
    return image;
}
