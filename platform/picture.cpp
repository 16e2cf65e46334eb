#include "platform/picture.h"

#include "platform/errortrap.h"

#include <QFileInfo>
#include <QTransform>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 MaxFileBytes = qint64(256) << 20; // larger than any photo
constexpr qint64 MaxPixels = qint64(256) << 20; // 16384 x 16384
constexpr qint64 WholeDecodePixels = qint64(32) << 20; // Qt's 128 MiB image limit at 4 bytes a pixel
constexpr qint64 MaxPixelsPerByte = 1024;

// Opens a regular file for reading. Anything else is refused without waiting
// on it: opening a FIFO blocks until a writer comes, reading a device such as
// /dev/zero never ends.
bool openRegularFile(QFile &file, const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
#ifdef Q_OS_UNIX
    // What the name leads to may have changed since: the open does not wait,
    // and the file opened is checked again.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status = {};
    if (fd < 0)
        return false;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
#else
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
#endif
}

// Qt's JPEG, GIF and BMP readers show a file that was cut short as far as it
// goes and fill the rest with grey, without an error. So a picture of these
// formats counts only when its structure runs to its proper end.

// A file's bytes, read a window at a time: a photo is walked through without
// ever being in memory whole.
class Bytes
{
public:
    explicit Bytes(QFile &file)
        : file_(file)
        , size_(file.size())
        , window_(64 << 10, Qt::Uninitialized)
    { }

    qint64 size() const { return size_; }

    // 0 beyond the end, and where the file cannot be read.
    uchar at(qint64 i) { return load(i) ? uchar(window_[i - start_]) : 0; }

    // Where the next 0xFF byte is at or after i, or size().
    qint64 nextFF(qint64 i)
    {
        while (load(i)) {
            const char *from = window_.constData() + (i - start_);
            if (const void *ff = std::memchr(from, 0xFF, size_t(start_ + length_ - i)))
                return i + (static_cast<const char *>(ff) - from);
            i = start_ + length_;
        }
        return size_;
    }

private:
    bool load(qint64 i)
    {
        if (i >= start_ && i < start_ + length_)
            return true;
        if (i < 0 || i >= size_ || !file_.seek(i))
            return false;
        start_ = i;
        length_ = qMax<qint64>(0, file_.read(window_.data(), window_.size()));
        return length_ > 0;
    }

    QFile &file_;
    const qint64 size_;
    QByteArray window_;
    qint64 start_ = 0;
    qint64 length_ = 0;
};

struct JpegLayout
{
    bool whole = false;
    int scans = 0;
};

// The markers run from the start to the end-of-image marker. Segments are
// skipped by their lengths (an EXIF thumbnail holds an end marker of its own);
// data after the end marker, such as a phone's motion-photo video, is allowed.
JpegLayout jpegLayout(Bytes &bytes)
{
    // The next marker at or after i in entropy-coded data, or the end.
    auto nextMarker = [&](qint64 i) {
        for (i = bytes.nextFF(i); i + 1 < bytes.size(); i = bytes.nextFF(i + 1)) {
            const uchar next = bytes.at(i + 1);
            if (next != 0x00 && (next < 0xD0 || next > 0xD7)) // not stuffing, not RSTn
                return i;
        }
        return bytes.size();
    };
    JpegLayout layout;
    qint64 i = 2; // after the start-of-image marker
    while (i + 1 < bytes.size()) {
        const uchar marker = bytes.at(i + 1);
        if (bytes.at(i) != 0xFF || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            ++i; // stray byte, fill byte or a marker without a length
            continue;
        }
        if (marker == 0xD9) {
            layout.whole = true;
            return layout;
        }
        i += 2 + ((bytes.at(i + 2) << 8) | bytes.at(i + 3));
        if (marker == 0xDA) { // start of scan: entropy-coded data up to the next marker
            ++layout.scans;
            i = nextMarker(i);
        }
    }
    return layout;
}

// The blocks run from the screen descriptor to the trailer.
bool gifIsWhole(Bytes &bytes)
{
    auto colorTable = [&](qint64 flagsAt) {
        const uchar flags = bytes.at(flagsAt);
        return flags & 0x80 ? 3 << ((flags & 7) + 1) : 0; // present: 2^(n+1) RGB entries
    };
    auto skipSubBlocks = [&](qint64 i) {
        while (i < bytes.size() && bytes.at(i) != 0)
            i += 1 + bytes.at(i);
        return i + 1;
    };
    qint64 i = 13 + colorTable(10);
    while (i < bytes.size()) {
        switch (bytes.at(i)) {
        case 0x21: // extension: label, data
            i = skipSubBlocks(i + 2);
            break;
        case 0x2C: // image: descriptor, local colour table, LZW code size, data
            i = skipSubBlocks(i + 11 + colorTable(i + 9));
            break;
        case 0x3B:
            return true;
        default:
            return false;
        }
    }
    return false;
}

// Little-endian, as in a bitmap header; 0 beyond the end.
qint64 number(Bytes &bytes, qint64 i, int size)
{
    qint64 value = 0;
    for (int n = size - 1; n >= 0; --n)
        value = value << 8 | bytes.at(i + n);
    return value;
}

// The rows of an uncompressed bitmap, or the stated size of a compressed one,
// fit in the file. Only called for a bitmap Qt has read, so the sizes are sane.
bool bmpIsWhole(Bytes &bytes)
{
    const bool core = number(bytes, 14, 4) == 12; // the old OS/2 header, 16-bit sizes
    const qint64 width = core ? number(bytes, 18, 2) : number(bytes, 18, 4);
    const qint64 height = core ? number(bytes, 20, 2) : qAbs(qint32(number(bytes, 22, 4))); // negative: top down
    const qint64 bitsPerPixel = number(bytes, core ? 24 : 28, 2);
    const qint64 compression = core ? 0 : number(bytes, 30, 4);
    const bool rows = compression == 0 || compression == 3 || compression == 6; // RGB, BITFIELDS, ALPHABITFIELDS
    const qint64 pixelBytes = rows ? (width * bitsPerPixel + 31) / 32 * 4 * height : number(bytes, 34, 4);
    return number(bytes, 10, 4) + pixelBytes <= bytes.size();
}

// Maps the stored picture onto the upright one, as the reader turns it:
// mirrored or flipped first, then turned a quarter clockwise.
QTransform upright(QImageIOHandler::Transformations turn, QSize stored)
{
    QTransform transform;
    if (turn & QImageIOHandler::TransformationMirror)
        transform *= QTransform(-1, 0, 0, 1, stored.width(), 0);
    if (turn & QImageIOHandler::TransformationFlip)
        transform *= QTransform(1, 0, 0, -1, 0, stored.height());
    if (turn & QImageIOHandler::TransformationRotate90)
        transform *= QTransform(0, 1, -1, 0, stored.height(), 0);
    return transform;
}

} // namespace

PictureFile::PictureFile(const QString &path)
{
    if (!openRegularFile(file_, path))
        fail("no picture file to read");
    if (file_.size() > MaxFileBytes)
        fail("file larger than any picture");
    reader_.setDevice(&file_);
    reader_.setAutoTransform(true);
    format_ = reader_.format();
    if (format_.isEmpty())
        fail("not a picture");
    stored_ = reader_.size();
    if (!stored_.isValid()) { // the header tells nothing: Qt's image limit guards the whole decode
        whole_ = reader_.read();
        if (whole_.isNull())
            fail("picture cannot be loaded");
        size_ = whole_.size();
        return;
    }

    const qint64 pixels = qint64(stored_.width()) * stored_.height();
    if (pixels > MaxPixels || (pixels > WholeDecodePixels && pixels > MaxPixelsPerByte * file_.size()))
        fail("picture claims more than its file holds");
    if (format_ == "jpeg") {
        const qint64 readerAt = file_.pos(); // the reader goes on from there
        Bytes bytes(file_);
        const JpegLayout layout = jpegLayout(bytes);
        file_.seek(readerAt);
        if (!layout.whole || (layout.scans > 1 && pixels > WholeDecodePixels))
            fail("picture cut short or too large to decode");
    }
    size_ = reader_.transformation() & QImageIOHandler::TransformationRotate90 ? stored_.transposed() : stored_;
}

QImage PictureFile::read(const QRect &part, const QSize &pixels)
{
    QImage image;
    if (!whole_.isNull()) {
        image = whole_.copy(part).scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        // The reader clips and scales the picture as it lies in the file, and turns it upright after.
        const QImageIOHandler::Transformations turn = reader_.transformation();
        const QRect clip = upright(turn, stored_).inverted().mapRect(QRectF(part)).toAlignedRect();
        const QSize scaled = turn & QImageIOHandler::TransformationRotate90 ? pixels.transposed() : pixels;
        if (clip != QRect(QPoint(), stored_))
            reader_.setClipRect(clip);
        if (scaled != clip.size())
            reader_.setScaledSize(scaled);
        image = reader_.read();
    }
    if (image.isNull())
        fail("picture cannot be loaded");
    if (format_ == "gif" || format_ == "bmp") { // a JPEG was checked at opening; PNG and the rest fail by themselves
        Bytes bytes(file_);
        if (!(format_ == "gif" ? gifIsWhole(bytes) : bmpIsWhole(bytes)))
            fail("picture cut short");
    }
    return image;
}

QImage loadPicture(const QString &path, const QSize &pixels)
{
    if (path.isEmpty())
        return {};
    PictureFile file(path);
    return file.read(QRect(QPoint(), file.size()), file.size().boundedTo(pixels));
}
