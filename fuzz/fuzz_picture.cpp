// Opens fuzzed bytes as a picture file and decodes it as the windows show
// it: whole and shrunk, and a corner at its natural size and at twice that
// (a HiDPI screen). Whatever the bytes, opening either fails or gives a size
// within the bounds, and a decode either fails or gives exactly the pixels
// asked for; the sanitizers watch the rest.

#include "pictures/picture.h"
#include "platform/errortrap.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const char *what)
{
    std::fprintf(stderr, "picture: %s\n", what);
    std::abort();
}

void decode(const QString &path, const QRect &part, const QSize &pixels)
{
    silently([&] {
        PictureFile file(path);
        const QImage image = file.read(part, pixels);
        if (image.size() != pixels)
            fault("a decoded picture is not of the size asked for");
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        fault("cannot write the input");
    file.close();

    QSize natural;
    silently([&] { natural = PictureFile(path).size(); });
    if (natural.isEmpty())
        return 0;
    if (natural.width() > 65535 || natural.height() > 65535
        || qint64(natural.width()) * natural.height() > (qint64(256) << 20))
        fault("a picture beyond the bounds opened");
    const QRect corner(0, 0, qMin(natural.width(), 31), qMin(natural.height(), 17));
    decode(path, QRect(QPoint(), natural), natural.boundedTo(QSize(64, 48)));
    decode(path, corner, corner.size());
    decode(path, corner, corner.size() * 2);
    return 0;
}
