#include "pictures/picture.h"

#include "pictures/pixelsink.h"
#include "platform/errortrap.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QSemaphore>
#include <QThreadPool>
#include <QTransform>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Pictures {

void checkSize(qint64 width, qint64 height, qint64 fileBytes)
{
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
        fail("no picture size");
    const qint64 pixels = width * height;
    if (pixels > MaxPixels || (pixels > FewPixels && pixels > MaxPixelsPerByte * fileBytes))
        fail("picture claims more than its file holds");
}

Bytes::Bytes(QFile &file)
    : file_(file)
    , size_(file.size())
    , window_(256 << 10, Qt::Uninitialized)
{ }

uchar Bytes::at(qint64 i)
{
    load(i);
    return uchar(window_[i - start_]);
}

quint32 Bytes::bigEndian(qint64 i, int count)
{
    quint32 value = 0;
    for (int n = 0; n < count; ++n)
        value = value << 8 | at(i + n);
    return value;
}

quint32 Bytes::littleEndian(qint64 i, int count)
{
    quint32 value = 0;
    for (int n = count - 1; n >= 0; --n)
        value = value << 8 | at(i + n);
    return value;
}

qint64 Bytes::nextMarker(qint64 i)
{
    while (i + 1 < size_) {
        load(i);
        if (i + 1 >= start_ + length_) { // a pair is looked at whole: start the window at i
            length_ = 0;
            load(i);
        }
        const auto *window = reinterpret_cast<const uchar *>(window_.constData());
        const qint64 end = length_ - 1; // the pair at the window's last byte is looked at with the next window
        for (qint64 at = i - start_; at < end; ++at) {
            if (window[at] != 0xFF)
                continue;
            const uchar next = window[at + 1];
            if (next != 0x00 && next != 0xFF && (next < 0xD0 || next > 0xD7)) // not stuffing, fill nor RSTn
                return start_ + at;
        }
        i = start_ + end;
    }
    return size_;
}

qint64 Bytes::nextFF(qint64 i)
{
    while (i < size_) {
        load(i);
        const char *from = window_.constData() + (i - start_);
        if (const void *ff = std::memchr(from, 0xFF, size_t(start_ + length_ - i)))
            return i + (static_cast<const char *>(ff) - from);
        i = start_ + length_;
    }
    return size_;
}

// One read a window, and none past a failure: the check ends there.
void Bytes::load(qint64 i)
{
    if (i >= start_ && i < start_ + length_)
        return;
    if (i < 0 || i >= size_)
        fail("picture cut short");
    const qint64 wanted = qMin<qint64>(window_.size(), size_ - i);
    if (!file_.seek(i) || file_.read(window_.data(), wanted) != wanted) {
        length_ = 0;
        fail("picture cut short");
    }
    start_ = i;
    length_ = wanted;
}

} // namespace Pictures

namespace {

using namespace Pictures;

constexpr qint64 MaxFileBytes = qint64(256) << 20; // larger than any photo
// What shrinking to the shown size may keep: 0.75 megapixels, the greeting
// window on a screen of three device pixels a pixel. With a decoder's 20 MiB
// that keeps a picture within 32 MiB.
constexpr qint64 MaxShownBytes = qint64(12) << 20;
// How long a window waits for its picture before it goes on without it: a
// camera's photo decodes in far less, so that it is there in the first frame.
constexpr int MomentMs = 250;

// Opens a regular file for reading, unbuffered: the readers keep windows of
// their own. Anything else is refused without waiting on it: opening a FIFO
// blocks until a writer comes, reading a device such as /dev/zero never ends.
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
    return file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
#else
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
#endif
}

Layout inspect(Bytes &bytes)
{
    const auto starts = [&](const char *magic, int length) {
        for (int i = 0; i < length; ++i)
            if (bytes.at(i) != uchar(magic[i]))
                return false;
        return true;
    };
    if (bytes.size() < 16)
        fail("not a picture");
    if (starts("\xFF\xD8\xFF", 3))
        return inspectJpeg(bytes);
    if (starts("\x89PNG\r\n\x1A\n", 8))
        return inspectPng(bytes);
    if (starts("GIF87a", 6) || starts("GIF89a", 6))
        return inspectGif(bytes);
    if (starts("BM", 2))
        return inspectBmp(bytes);
    fail("not a picture this program shows");
}

// Maps the stored picture onto the upright one, as a picture is turned:
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

const QString DecodingName = QStringLiteral("pictureDecoding");

// A decode under way for a receiver, handing its picture over once. Ending it
// (a newer decode, or the receiver's end) tells the decoder to stop.
class Decoding : public QFutureWatcher<QImage>
{
public:
    Decoding(QObject *receiver, const std::function<void(const QImage &)> &shown)
        : QFutureWatcher(receiver)
        , shown_(shown)
        , moment_(MomentMs)
    {
        setObjectName(DecodingName);
        connect(this, &QFutureWatcherBase::finished, receiver, [this] { handOver(); });
    }
    ~Decoding() override { cancel(); }

    // Released by the decoder when it is done.
    const std::shared_ptr<QSemaphore> done = std::make_shared<QSemaphore>();

    // Waits for the picture what is left of the moment, and hands it over if it came.
    void await()
    {
        if (shown_ && done->tryAcquire(1, int(qMax<qint64>(0, moment_.remainingTime()))))
            handOver();
    }

private:
    void handOver()
    {
        if (!shown_)
            return;
        const auto shown = std::exchange(shown_, nullptr);
        const QImage image = future().resultCount() > 0 ? future().resultAt(0) : QImage();
        deleteLater();
        shown(image);
    }

    std::function<void(const QImage &)> shown_;
    QDeadlineTimer moment_;
};

} // namespace

PictureFile::PictureFile(const QString &path)
{
    if (!openRegularFile(file_, path))
        fail("no picture file to read");
    if (file_.size() > MaxFileBytes)
        fail("file larger than any picture");
    Bytes bytes(file_);
    layout_ = inspect(bytes);
    size_ = layout_.turn & QImageIOHandler::TransformationRotate90 ? layout_.stored.transposed() : layout_.stored;
}

QImage PictureFile::read(const QRect &part, const QSize &pixels, const Stopped &stopped)
{
    // Decoded as the picture lies in the file, turned upright after.
    const QImageIOHandler::Transformations turn = layout_.turn;
    const QRect clip = upright(turn, layout_.stored).inverted().mapRect(QRectF(part)).toAlignedRect()
        & QRect(QPoint(), layout_.stored);
    const QSize wanted
        = (turn & QImageIOHandler::TransformationRotate90 ? pixels.transposed() : pixels).expandedTo({ 1, 1 });
    if (clip.isEmpty() || PixelSink::bytesFor(wanted) > MaxShownBytes)
        fail("no such part to show");
    const Stopped never = [] { return false; };
    const auto decode = layout_.format == Format::Jpeg ? decodeJpeg
        : layout_.format == Format::Png                ? decodePng
        : layout_.format == Format::Gif                ? decodeGif
                                                       : decodeBmp;
    QImage image = decode(file_, layout_, clip, wanted, stopped ? stopped : never);
    if (image.isNull())
        fail("picture cannot be decoded");
    if (image.size() != wanted) // a part smaller than it is shown
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = std::move(image).mirrored(
        turn & QImageIOHandler::TransformationMirror, turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

QImage loadPicture(const QString &path, const QSize &pixels)
{
    if (path.isEmpty())
        return {};
    PictureFile file(path);
    return file.read(QRect(QPoint(), file.size()), file.size().boundedTo(pixels));
}

void decodePicture(std::unique_ptr<PictureFile> file, const QRect &part, const QSize &pixels, QObject *receiver,
    const std::function<void(const QImage &)> &shown)
{
    qDeleteAll(receiver->findChildren<Decoding *>(DecodingName, Qt::FindDirectChildrenOnly));
    if (!file) {
        shown({});
        return;
    }
    auto promise = std::make_shared<QPromise<QImage>>();
    std::shared_ptr<PictureFile> decoded(std::move(file));
    auto *decoding = new Decoding(receiver, shown);
    promise->start();
    decoding->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, done = decoding->done, decoded, part, pixels] {
        QImage image;
        try {
            image = decoded->read(part, pixels, [&] { return promise->isCanceled(); });
        } catch (...) { // broken data, or stopped: no picture
        }
        promise->addResult(image);
        promise->finish();
        done->release();
    });
}

void awaitPicture(QObject *receiver)
{
    for (Decoding *decoding : receiver->findChildren<Decoding *>(DecodingName, Qt::FindDirectChildrenOnly))
        decoding->await();
}

void showPicture(
    const QString &path, const QSize &pixels, QObject *receiver, const std::function<void(const QImage &)> &shown)
{
    auto file = path.isEmpty() ? nullptr : std::make_unique<PictureFile>(path);
    const QSize size = file ? file->size() : QSize();
    decodePicture(std::move(file), QRect(QPoint(), size), size.boundedTo(pixels), receiver, shown);
    awaitPicture(receiver);
}
