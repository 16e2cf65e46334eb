// Opens and decodes one picture as the greeting window does, in a process of
// its own, so that the picture tests can measure its memory and time and make
// its system calls fail.
//   pictureload PATH WIDTH HEIGHT
// prints what became of it: the size decoded ("312x215"), "refused" (opening
// failed) or "broken" (decoding failed), then its peak resident memory in KiB.
#include "pictures/picture.h"
#include "platform/errortrap.h"

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

int main(int argc, char *argv[])
{
    if (argc != 4)
        return 2;
    const QSize pixels(std::atoi(argv[2]), std::atoi(argv[3]));
    QByteArray outcome = "refused";
    silently([&] {
        PictureFile file(QString::fromLocal8Bit(argv[1]));
        outcome = "broken";
        const QImage image = file.read(QRect(QPoint(), file.size()), file.size().boundedTo(pixels));
        outcome = QByteArray::number(image.width()) + 'x' + QByteArray::number(image.height());
    });
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s %ld\n", outcome.constData(), usage.ru_maxrss);
    return 0;
}
