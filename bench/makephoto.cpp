// Writes a camera-sized photo for the picture benchmarks: gradients, blocks
// and sensor-like noise, in the format its name says (a JPEG at quality 90,
// some 2 bits a pixel as a camera's photos are: 6 MB for 24 megapixels; a
// PPM for an encoder to take). Made at benchmark time, so that no large file
// lives in the repository.
//   makephoto WIDTH HEIGHT FILE
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // for the image plugins
    if (argc != 4)
        return 2;
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    QImage photo(width, height, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 24) % 17 - 8;
            const int block = (x / 97 + y / 61) % 2 * 120 + 60;
            line[x] = qRgb(qBound(0, x * 255 / width + noise, 255), qBound(0, y * 255 / height + noise, 255),
                qBound(0, block + noise, 255));
        }
    }
    QImageWriter writer(QString::fromLocal8Bit(argv[3]));
    writer.setQuality(90);
    return writer.write(photo) ? 0 : 1;
}
